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


# Levels are built and then played in groups of this many: a host plays a
# level it has just touched, so a small level should be warm in the cache when
# its frame runs, not evicted by thousands of others built before it.
WARM_GROUP = 32


def _fresh_groups(build, size, batch):
    """`batch` sequencers on freshly built levels, in groups built on demand."""
    for first in range(0, batch, WARM_GROUP):
        yield [velm.NarrativeSequencer(build(size))
               for _ in range(min(WARM_GROUP, batch - first))]


def first_frames(build, size, batch):
    """Mean time of the first `next_frame()` of `batch` freshly built levels.

    Every frame changes its level, so repeating a frame on one level would
    time ever smaller levels: each timed call gets a level of its own, built
    just before and not timed.
    """
    elapsed = 0
    with _quiet_collector():
        for group in _fresh_groups(build, size, batch):
            start = time.perf_counter_ns()
            for sequencer in group:
                sequencer.next_frame()
            elapsed += time.perf_counter_ns() - start
    return elapsed / batch


def first_frame_probe(build, size):
    """(seconds of one first frame, the zone after it, its report as a dict and
    the report's length in bytes)."""
    root = build(size)
    sequencer = velm.NarrativeSequencer(root)
    start = time.perf_counter()
    text = sequencer.next_frame()
    return time.perf_counter() - start, root, json.loads(text), len(text.encode())


def full_plays(build, size, batch):
    """(frames, mean nanoseconds) of playing `batch` freshly built levels
    until each stops, at completion or at the frame limit."""
    frames = 0
    elapsed = 0
    with _quiet_collector():
        for group in _fresh_groups(build, size, batch):
            start = time.perf_counter_ns()
            for sequencer in group:
                while not sequencer.is_finished:
                    sequencer.next_frame()
                    frames += 1
            elapsed += time.perf_counter_ns() - start
    return frames // batch, elapsed / batch
