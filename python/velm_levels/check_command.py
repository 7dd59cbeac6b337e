"""`check PATH...`: play many levels in parallel and say, one line each, how
each came out against what its file expects.

Exit status 0 when every level is solved or meets its expectation, 1 when
any is not, 2 for bad arguments.
"""

import argparse
import contextlib
import json
import multiprocessing
import os
import sys
from collections import Counter
from collections.abc import Iterator
from concurrent.futures import Executor, ProcessPoolExecutor
from pathlib import Path
from typing import Never

from tqdm import tqdm

from velm_levels import exit_status
from velm_levels.checking import LevelCheck, check_levels, ignore_interrupts
from velm_levels.console import say
from velm_levels.outcome import OutcomeKind, describe, describe_remains
from velm_levels.player import expectation_note, level_file
from velm_levels.terminal_text import shown

DASK_EXTRA_HINT = "pip install 'velm_engine[dask]'"
# How long to wait for a Dask scheduler that does not answer.
DASK_CONNECT_SECONDS = 10


class CheckSetupError(Exception):
    """The check cannot start: no levels where a folder was named, or no Dask."""


def add_check_arguments(parser: argparse.ArgumentParser) -> None:
    parser.add_argument("paths", nargs="+", metavar="PATH",
                        help="a level file, a bundled level's name, or a folder, "
                             "searched with its subfolders for *.json files")
    where = parser.add_mutually_exclusive_group()
    where.add_argument("--jobs", "-j", type=_positive_whole_number, metavar="N",
                       default=os.process_cpu_count() or 1,
                       help="worker processes to play levels in (default: the number of CPUs)")
    where.add_argument("--dask", metavar="ADDRESS",
                       help="play the levels on the Dask cluster whose scheduler is at ADDRESS "
                            f"instead (needs the dask extra: {DASK_EXTRA_HINT}); its workers "
                            "open the level files at the same absolute paths")
    parser.add_argument("--format", choices=("text", "json"), default="text",
                        help="text: one line per level and a total; json: one JSON object "
                             "per level, one per line (default: text)")


def run_check(options: argparse.Namespace, program: str) -> int:
    paths = level_files(options.paths)
    results = Counter[OutcomeKind]()
    failed = 0
    with _executor(options) as (executor, workers), _progress_bar(len(paths)) as bar:
        for check in check_levels(paths, executor, workers, bar.update):
            results[check.outcome.kind] += 1
            failed += not check.passed
            line = json.dumps(_as_json(check)) if options.format == "json" else _as_text(check)
            with tqdm.external_write_mode(file=sys.stdout):
                say(line)
    if options.format == "text":
        counts = ", ".join(f"{results[kind]} {kind}" for kind in OutcomeKind)
        levels = f"{len(paths)} level" + ("" if len(paths) == 1 else "s")
        say(f"{levels}: {counts}; {len(paths) - failed} passed, {failed} failed")
    return exit_status.FAILED if failed else exit_status.PASSED


def level_files(arguments: list[str]) -> list[Path]:
    """The level files that the command line names, in its order, each once:
    a folder stands for its *.json files, sorted, its subfolders' included."""
    files: dict[str, Path] = {}
    for argument in arguments:
        path = level_file(argument)
        found = sorted(each for each in path.rglob("*.json") if not each.is_dir()) \
            if path.is_dir() else [path]
        if not found:
            raise CheckSetupError(f"{shown(argument)}: found no *.json level files in this folder")
        for each in found:
            files.setdefault(os.path.realpath(each), each)
    return list(files.values())


@contextlib.contextmanager
def _executor(options: argparse.Namespace) -> Iterator[tuple[Executor, int]]:
    """The executor that plays the levels, and how many levels it plays at once."""
    if options.dask is None:
        # A fresh worker process for every worker, started from a clean
        # server process: forking this one could copy its progress-bar thread.
        context = multiprocessing.get_context("forkserver")
        with ProcessPoolExecutor(options.jobs, context, initializer=ignore_interrupts) as pool:
            try:
                yield pool, options.jobs
            except BaseException:
                # Stopped early (Ctrl-C, a closed pipe): the levels still being
                # played are of no use, and could take seconds each to finish.
                for worker in multiprocessing.active_children():
                    worker.terminate()
                raise
        return
    try:
        from distributed import Client
    except ImportError:
        raise CheckSetupError(f"--dask needs the dask extra: {DASK_EXTRA_HINT}") from None
    try:
        # distributed leaves these few calls unannotated.
        client = Client(options.dask, timeout=DASK_CONNECT_SECONDS)  # type: ignore[no-untyped-call]
    except (OSError, ValueError) as error:
        raise CheckSetupError(f"cannot reach the Dask scheduler at {shown(options.dask)}: "
                              f"{error}") from None
    with client:
        threads = sum(client.nthreads().values())  # type: ignore[no-untyped-call]
        yield client.get_executor(), max(1, threads)  # type: ignore[no-untyped-call]


def _progress_bar(total: int) -> "tqdm[Never]":
    # Only a person at a terminal wants to watch; a log or a pipe gets none.
    return tqdm(total=total, unit="level", file=sys.stderr, disable=not sys.stderr.isatty())


def _as_text(check: LevelCheck) -> str:
    return f"{shown(check.path)}: {describe(check.outcome)}" \
        f"{expectation_note(check.expect, check.outcome)}"


def _as_json(check: LevelCheck) -> dict[str, object]:
    outcome = check.outcome
    message = outcome.message or (describe_remains(outcome.remains, str) if outcome.remains else "")
    expectation = None
    if check.expect is not None:
        expected = {"outcome": str(check.expect.outcome), "value": check.expect.value,
                    "frames": check.expect.frames}
        expectation = {"expected": {key: value for key, value in expected.items()
                                    if value is not None},
                       "met": not check.unmet, "unmet": list(check.unmet)}
    return {
        "path": check.path,
        "outcome": str(outcome.kind),
        "frames": outcome.frames if outcome.kind is not OutcomeKind.UNPLAYABLE else None,
        "value": outcome.value,
        "message": message,
        "expectation": expectation,
        "passed": check.passed,
    }


def _positive_whole_number(text: str) -> int:
    try:
        number = int(text)
    except ValueError:
        number = 0
    if number < 1:
        raise argparse.ArgumentTypeError(f"expected a whole number of at least 1, found {text!r}")
    return number
