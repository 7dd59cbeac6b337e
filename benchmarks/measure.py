"""Timing primitives: one sample each, in nanoseconds per call.

The caller takes several samples, interleaving the different measurements so
that a burst of load from elsewhere on the machine touches all of them alike,
and keeps the medians. The garbage collector is off while a sample runs.
"""

import gc
import json
import time
from contextlib import contextmanager

import velm_engine as velm

# A sample should run long enough for the clock and the loop to be negligible.
SAMPLE_SECONDS = 0.02


@contextmanager
def _quiet_collector():
    gc.collect()
    gc.disable()
    try:
        yield
    finally:
        gc.enable()


def loops_for(seconds_per_call):
    """How many calls fill one sample."""
    return max(1, round(SAMPLE_SECONDS / max(seconds_per_call, 1e-9)))


def calls(function, loops):
    """Mean time of `loops` back-to-back calls of `function`."""
    with _quiet_collector():
        start = time.perf_counter_ns()
        for _ in range(loops):
            function()
        return (time.perf_counter_ns() - start) / loops


# Levels are built and then played in groups: a host plays a level it has just
# touched, so a level should still be in the cache when its frame runs, not
# evicted by the others built with it. A group holds at most WARM_GROUP levels,
# and no more than fit in CACHE_BYTES, counting a level, its text and the
# Python copy of the text at four times the text's length.
WARM_GROUP = 32
CACHE_BYTES = 1 << 20


def group_size(report_bytes):
    """How many levels whose reports have `report_bytes` make one group."""
    return max(1, min(WARM_GROUP, CACHE_BYTES // (4 * report_bytes)))


def _fresh_groups(build, size, batch, group):
    """`batch` sequencers on freshly built levels, in groups built on demand."""
    for first in range(0, batch, group):
        yield [velm.NarrativeSequencer(build(size)) for _ in range(min(group, batch - first))]


def frames_after(build, size, batch, group, played):
    """Mean time of the frame that follows `played` untimed frames, over
    `batch` freshly built levels played in groups of `group`.

    Every frame changes its level, so repeating a frame on one level would
    time ever smaller levels: each timed call gets a level of its own, built
    (and played up to the timed frame) just before, untimed. With `played` 0
    that is a level's first frame, which also pays for bringing a level that
    was just built, and fresh memory for its text, into use; with 1 it is a
    frame of a level in play, as a host sees frame after frame.
    """
    elapsed = 0
    with _quiet_collector():
        for sequencers in _fresh_groups(build, size, batch, group):
            for sequencer in sequencers:
                for _ in range(played):
                    sequencer.next_frame()
            start = time.perf_counter_ns()
            for sequencer in sequencers:
                sequencer.next_frame()
            elapsed += time.perf_counter_ns() - start
    return elapsed / batch


def frame_probe(build, size, played):
    """(seconds of the frame after `played` frames of a freshly built level,
    the zone after it, its report as a dict and the report's length in bytes)."""
    root = build(size)
    sequencer = velm.NarrativeSequencer(root)
    for _ in range(played):
        sequencer.next_frame()
    if sequencer.is_finished:
        raise ValueError(f"the level stops before frame {played + 1}")
    start = time.perf_counter()
    text = sequencer.next_frame()
    return time.perf_counter() - start, root, json.loads(text), len(text.encode())


def full_plays(build, size, batch, group):
    """(frames, mean nanoseconds) of playing `batch` freshly built levels, in
    groups of `group`, until each stops, at completion or at the frame limit."""
    frames = 0
    elapsed = 0
    with _quiet_collector():
        for sequencers in _fresh_groups(build, size, batch, group):
            start = time.perf_counter_ns()
            for sequencer in sequencers:
                while not sequencer.is_finished:
                    sequencer.next_frame()
                    frames += 1
            elapsed += time.perf_counter_ns() - start
    return frames // batch, elapsed / batch
