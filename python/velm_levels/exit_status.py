"""The exit statuses of the command line, one meaning each."""

from velm_levels.outcome import OutcomeKind

SOLVED = 0
FRAME_LIMIT = 1
# A level that cannot be loaded, bad arguments, or output that cannot be written.
UNPLAYABLE = 2
STALLED = 3
# What shells report for a process ended by Ctrl-C (128 + SIGINT).
INTERRUPTED = 130

# `check`: every level came out as it should, or not; `verify`: the record
# is identical to a fresh play, or not.
PASSED = 0
FAILED = 1

_FOR_OUTCOME = {
    OutcomeKind.SOLVED: SOLVED,
    OutcomeKind.FRAME_LIMIT: FRAME_LIMIT,
    OutcomeKind.UNPLAYABLE: UNPLAYABLE,
    OutcomeKind.STALLED: STALLED,
}


def for_outcome(kind: OutcomeKind) -> int:
    """The status that a play of one level ends with."""
    return _FOR_OUTCOME[kind]
