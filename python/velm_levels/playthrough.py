"""Playing a level from its first frame to its end."""

from collections.abc import Iterator

from velm_engine import Environment, NarrativeSequencer


def play(zone: Environment) -> Iterator[str]:
    """Every frame report of the level whose top zone is `zone`, as the engine
    returns it, up to and including the report that ends the level: the one
    that completes it or the one that says the frame limit was reached."""
    sequencer = NarrativeSequencer(zone)
    # A fresh sequencer finishes exactly when it returns a report whose status
    # is no longer "RUNNING", so the flag tells the end without parsing.
    while not sequencer.is_finished:
        yield sequencer.next_frame()
