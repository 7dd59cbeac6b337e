"""`play` and `record`: play one level, tell it frame by frame (or only how it
ended) and, when asked, record its frame reports.

Both end with the status of the level's outcome: 0 solved, 1 frame limit,
2 unplayable, 3 stalled. `play --html FILE` also writes the run's replay page.
"""

import argparse
import contextlib
import json
import os
from enum import Enum
from pathlib import Path
from typing import Any

from velm_levels import exit_status
from velm_levels.bundled import bundled_levels, default_level
from velm_levels.console import complain, say
from velm_levels.errors import LevelError
from velm_levels.expectation import Expectation
from velm_levels.loader import Level, load_level
from velm_levels.narration import narrate_ending, narrate_frame
from velm_levels.outcome import Outcome, describe, outcome_of
from velm_levels.record_output import RecordOutput
from velm_levels.recording import record_lines
from velm_levels.replay_error import ReplayError
from velm_levels.replay_page import check_writable, write_replay_page
from velm_levels.terminal_text import shown


class Telling(Enum):
    """How much of a play is printed."""

    EVERY_FRAME = "every frame"
    CLOSING_LINE = "closing line"
    NOTHING = "nothing"


def add_play_arguments(parser: argparse.ArgumentParser) -> None:
    parser.add_argument("level", nargs="?", metavar="LEVEL",
                        help="a level file, or the name of a bundled level "
                             "(default: the bundled default level)")
    parser.add_argument("--jsonl", metavar="FILE", type=Path,
                        help="also write every frame report to FILE, one per line, "
                             "exactly as the engine returns it")
    parser.add_argument("--html", metavar="FILE", type=Path,
                        help="also write the run's replay page to FILE: one HTML file "
                             "that shows the run frame by frame in a browser")
    parser.add_argument("--list", action="store_true",
                        help="list the bundled levels and exit")
    telling = parser.add_mutually_exclusive_group()
    telling.add_argument("--summary", dest="telling", action="store_const",
                         const=Telling.CLOSING_LINE, default=Telling.EVERY_FRAME,
                         help="print only the closing line, with the outcome")
    telling.add_argument("--quiet", dest="telling", action="store_const", const=Telling.NOTHING,
                         help="print nothing but errors; the exit status tells the outcome")


def add_record_arguments(parser: argparse.ArgumentParser) -> None:
    parser.add_argument("level", metavar="LEVEL",
                        help="a level file, or the name of a bundled level")
    parser.add_argument("-o", "--output", metavar="FILE", type=Path, required=True,
                        help="the record file to write (xz-compressed when its name ends "
                             "in .xz); it appears only once it is complete")


def run_play(options: argparse.Namespace, program: str) -> int:
    if options.list:
        for name, path in bundled_levels().items():
            say(f"{name}\t{path}")
        return exit_status.SOLVED
    return play_and_tell(options.level, options.jsonl, options.telling, program, options.html)


def run_record(options: argparse.Namespace, program: str) -> int:
    return play_and_tell(options.level, options.output, Telling.CLOSING_LINE, program)


def level_file(argument: str | None) -> Path:
    """The file named on the command line; a bundled level's name also does,
    unless a file of that name exists."""
    if argument is None:
        return default_level()
    bundled = bundled_levels()
    if argument in bundled and not os.path.exists(argument):
        return bundled[argument]
    return Path(argument)


def play_and_tell(level_name: str | None, record_file: Path | None, telling: Telling,
                  program: str, page: Path | None = None) -> int:
    """Plays the level `level_name` names, records it into `record_file` and
    writes its replay page to `page` if they are given, tells it as `telling`
    says and returns the exit status.

    Raises RecordError when the record cannot be written (nothing is then
    left at `record_file`), OutputError when standard output cannot be.
    """
    try:
        level = load_level(level_file(level_name))
    except LevelError as error:
        complain(program, str(error))
        return exit_status.UNPLAYABLE
    if page is not None and (problem := _page_problem(page, record_file, level.source)):
        complain(program, problem)
        return exit_status.UNPLAYABLE
    start = level.zone.to_json() if page is not None else None
    reports: list[str] | None = [] if page is not None else None
    record = RecordOutput(record_file, level.source) if record_file is not None else None
    with record or contextlib.nullcontext():
        if telling is Telling.EVERY_FRAME:
            say(f"Level: {shown(level.title)} ({shown(str(level.source))})")
        final_report = _play(level, record, telling is Telling.EVERY_FRAME, reports)
    outcome = outcome_of(final_report)
    if page is not None and reports is not None:
        try:
            write_replay_page(page, reports, level.title, start=start, outcome=describe(outcome))
        except (OSError, ReplayError) as error:
            reason = error.strerror if isinstance(error, OSError) else str(error)
            complain(program, f"cannot write {shown(str(page))}: {reason}")
            return exit_status.UNPLAYABLE
    closing = f"Outcome: {describe(outcome)}{expectation_note(level.expect, outcome)}"
    if telling is Telling.EVERY_FRAME:
        say(narrate_ending(final_report))
    if telling is not Telling.NOTHING:
        say(closing)
    elif level.expect is not None and level.expect.unmet(outcome):
        complain(program, f"{shown(str(level.source))}: {closing}")
    return exit_status.for_outcome(outcome.kind)


def _page_problem(page: Path, record_file: Path | None, level_source: Path | None) -> str | None:
    """Why the replay page could not be written, found before the level is played."""
    for other, what in ((record_file, "the record"), (level_source, "the level file")):
        if other is not None and page.resolve() == other.resolve():
            return f"refusing to write the replay page over {what} {shown(str(page))}"
    try:
        check_writable(page)
    except OSError as error:
        return f"cannot write {shown(str(page))}: {error.strerror}"
    return None


def _play(level: Level, record: RecordOutput | None, narrating: bool,
          reports: list[str] | None) -> dict[str, Any]:
    """Plays `level` to its end and returns the last frame report, parsed;
    every report's text also goes to `reports` when it is given."""
    line = b""
    for line in record_lines(level):
        if record is not None:
            record.write_line(line)
        if reports is not None:
            reports.append(line[:-1].decode())
        if narrating:
            for text in narrate_frame(json.loads(line)):
                say(text)
    final_report: dict[str, Any] = json.loads(line)
    return final_report


def expectation_note(expect: Expectation | None, outcome: Outcome) -> str:
    """What follows the outcome in a closing line: nothing when the level
    expects nothing, else whether the outcome is as expected and, if not,
    what was expected and what came instead."""
    if expect is None:
        return ""
    unmet = expect.unmet(outcome)
    return f"; not as expected: {', '.join(unmet)}" if unmet else "; as expected"
