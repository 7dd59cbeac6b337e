"""Checking many levels at once: each level is played by a worker of a
`concurrent.futures` executor (local processes or a Dask cluster), and the
results come back in the order the levels were named, however the workers
were scheduled.
"""

import dataclasses
import json
import math
import os
import signal
from collections.abc import Callable, Iterator, Sequence
from concurrent.futures import Executor, Future, as_completed
from dataclasses import dataclass
from pathlib import Path

from velm_levels.errors import LevelError
from velm_levels.expectation import Expectation
from velm_levels.loader import load_level
from velm_levels.outcome import Outcome, OutcomeKind, outcome_of, unplayable
from velm_levels.playthrough import play

MAX_BATCH = 16
BATCHES_PER_WORKER = 4


@dataclass(frozen=True)
class LevelCheck:
    """How one level came out: its outcome and what it missed of its `expect`."""

    path: str
    outcome: Outcome
    expect: Expectation | None = None
    unmet: tuple[str, ...] = ()

    @property
    def passed(self) -> bool:
        """A level passes when it meets its expectation or, expecting nothing,
        is solved; a level that cannot be played never passes."""
        if self.outcome.kind is OutcomeKind.UNPLAYABLE:
            return False
        if self.expect is not None:
            return not self.unmet
        return self.outcome.kind is OutcomeKind.SOLVED


def check_level(path: str) -> LevelCheck:
    """Loads and plays the level file at `path`; runs in a worker, so it takes
    and returns only what pickles."""
    try:
        level = load_level(path)
    except LevelError as error:
        # The check line names the file already.
        return LevelCheck(path, unplayable(str(LevelError(error.problem, error.place))))
    last = ""
    for last in play(level.zone):
        pass
    outcome = outcome_of(json.loads(last))
    unmet = tuple(level.expect.unmet(outcome)) if level.expect is not None else ()
    return LevelCheck(path, outcome, level.expect, unmet)


def ignore_interrupts() -> None:
    """Worker start-up: Ctrl-C reaches every process of the terminal; the
    command alone answers it, and workers just stop when it shuts them down."""
    signal.signal(signal.SIGINT, signal.SIG_IGN)


def check_levels(paths: Sequence[Path], executor: Executor, workers: int,
                 on_done: Callable[[int], object] = lambda count: None) -> Iterator[LevelCheck]:
    """The check of every level in `paths`, in that order, each as soon as it
    and all before it are done; `on_done` is told how many levels finished
    each time some do. `workers` is how many work at once, to share the work
    out evenly.

    A level whose worker fails (it ran out of memory, or the worker died) is
    reported as unplayable with the reason; the others go on. Work not yet
    started is cancelled when the caller stops early (Ctrl-C, a closed pipe).
    """
    batches = _batches(paths, workers)
    # Absolute paths, since workers (on a cluster, too) need not share our
    # working directory; the results name the levels as `paths` does.
    futures = [executor.submit(check_batch, [os.path.abspath(path) for path in batch])
               for batch in batches]
    position = {future: index for index, future in enumerate(futures)}
    finished: dict[int, list[LevelCheck]] = {}
    next_index = 0
    try:
        for future in as_completed(futures):
            index = position[future]
            finished[index] = _checks_of(future, batches[index])
            on_done(len(batches[index]))
            while next_index in finished:
                yield from finished.pop(next_index)
                next_index += 1
    finally:
        for future in futures:
            future.cancel()


def check_batch(paths: list[str]) -> list[LevelCheck]:
    """`check_level` on each of `paths`: one task for a worker. A level that
    fails in a way no level should (the engine ran out of memory) is reported
    as unplayable, and the rest of the batch goes on."""
    checks = []
    for path in paths:
        try:
            checks.append(check_level(path))
        except Exception as error:
            checks.append(LevelCheck(path, _failed(error)))
    return checks


def _batches(paths: Sequence[Path], workers: int) -> list[Sequence[Path]]:
    # Levels go out in batches, since handing one small level to a worker
    # costs more than playing it; a few batches for each worker still keep
    # them all busy to the end, and progress shows at least every MAX_BATCH.
    size = max(1, min(MAX_BATCH, math.ceil(len(paths) / (workers * BATCHES_PER_WORKER))))
    return [paths[start:start + size] for start in range(0, len(paths), size)]


def _checks_of(future: Future[list[LevelCheck]], batch: Sequence[Path]) -> list[LevelCheck]:
    error = future.exception()
    if error is None:
        return [dataclasses.replace(check, path=str(path))
                for check, path in zip(future.result(), batch, strict=True)]
    return [LevelCheck(str(path), _failed(error)) for path in batch]


def _failed(error: BaseException) -> Outcome:
    return unplayable(f"the check failed: {type(error).__name__}: {error}")
