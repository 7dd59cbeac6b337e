"""`python -m velm_levels replay RECORD.jsonl --html FILE`: the replay page of
a recorded run, from a file of frame reports, one a line, as the player's
--jsonl option writes it.

Exit status: 0 when the page is written, 2 when the record cannot be read or
shown, or the page cannot be written; an earlier file at FILE is then left as
it was.
"""

import argparse
import os
from collections.abc import Iterator
from pathlib import Path

from velm_levels.console import complain
from velm_levels.replay_data import replay_data
from velm_levels.replay_error import ReplayError
from velm_levels.replay_page import check_writable, render_replay_page, write_whole

EXIT_WRITTEN = 0
EXIT_UNREADABLE = 2


def add_replay_arguments(parser: argparse.ArgumentParser) -> None:
    parser.add_argument("record", metavar="RECORD.jsonl", type=Path,
                        help="the run's frame reports, one a line, as --jsonl writes them")
    parser.add_argument("--html", metavar="FILE", type=Path, required=True,
                        help="the page to write")
    parser.add_argument("--title", metavar="TEXT",
                        help="the page's heading (default: the record's file name)")


def run_replay(options: argparse.Namespace, program: str) -> int:
    """Writes the page that `options` ask for; `program` is how error
    messages name the command."""
    record: Path = options.record
    page: Path = options.html
    if _same_file(record, page):
        return _fail(program, f"{page}: the page would overwrite the record it is made from")
    try:
        check_writable(page)
    except OSError as error:
        return _fail(program, f"cannot write {page}: {error.strerror}")
    try:
        with record.open("rb") as lines:
            data = replay_data(_reports(lines), options.title or record.stem)
    except ReplayError as error:
        return _fail(program, str(error.in_record(str(record))))
    except OSError as error:
        return _fail(program, f"cannot read {record}: {error.strerror or error}")
    try:
        write_whole(page, render_replay_page(data))
    except OSError as error:
        return _fail(program, f"cannot write {page}: {error.strerror or error}")
    return EXIT_WRITTEN


def _reports(lines: Iterator[bytes]) -> Iterator[str]:
    """The report texts of a record, one a line; JSON text never holds a raw
    line feed, but may hold other line separators, so only b"\\n" splits."""
    for number, line in enumerate(lines, 1):
        try:
            text = line.decode("utf-8-sig" if number == 1 else "utf-8")
        except UnicodeDecodeError as error:
            raise ReplayError("expected UTF-8 text", f"column {error.start + 1}", number) from None
        if not text.strip():
            raise ReplayError("expected a frame report, found an empty line", None, number)
        yield text


def _same_file(record: Path, page: Path) -> bool:
    try:
        return os.path.samefile(record, page)
    except OSError:
        return False


def _fail(program: str, message: str) -> int:
    complain(f"{program} replay", message)
    return EXIT_UNREADABLE
