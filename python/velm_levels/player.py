"""The command line player: plays a level and tells it frame by frame.

Exit status: 0 when the level completes ("Equation Resolved."), 1 when it
runs into the engine's frame limit, 2 when it cannot be played at all (a
level file that is missing or malformed, bad arguments, an unwritable
--jsonl or --html file).

`python -m velm_levels replay ...` writes the replay page of a recorded run
instead; see velm_levels.replay_command.
"""

import argparse
import io
import json
import os
import sys
from collections.abc import Sequence
from pathlib import Path
from typing import TextIO

from velm_levels.bundled import bundled_levels, default_level
from velm_levels.errors import LevelError
from velm_levels.loader import Level, load_level
from velm_levels.narration import narrate_ending, narrate_frame
from velm_levels.playthrough import play
from velm_levels.replay_command import replay_main
from velm_levels.replay_error import ReplayError
from velm_levels.replay_page import check_writable, write_replay_page

EXIT_RESOLVED = 0
EXIT_FRAME_LIMIT = 1
EXIT_UNPLAYABLE = 2

PROGRAM = "python -m velm_levels"


def main(argv: Sequence[str] | None = None) -> int:
    """Runs the player with the command line `argv` and returns its exit status."""
    words = list(sys.argv[1:] if argv is None else argv)
    if words[:1] == ["replay"]:
        return replay_main(words[1:], PROGRAM)
    arguments = _argument_parser().parse_args(words)
    if arguments.list:
        for name, path in bundled_levels().items():
            print(f"{name}\t{path}")
        return EXIT_RESOLVED
    try:
        level = load_level(_level_file(arguments.level))
    except LevelError as error:
        print(f"{PROGRAM}: {error}", file=sys.stderr)
        return EXIT_UNPLAYABLE
    if arguments.html and (problem := _html_problem(arguments.html, arguments.jsonl)):
        print(f"{PROGRAM}: {problem}", file=sys.stderr)
        return EXIT_UNPLAYABLE
    try:
        raw_out = (open(arguments.jsonl, "w", encoding="utf-8", newline="\n")
                   if arguments.jsonl else None)
    except OSError as error:
        print(f"{PROGRAM}: cannot write {arguments.jsonl}: {error.strerror}", file=sys.stderr)
        return EXIT_UNPLAYABLE
    # Zone ids and visual ids may hold characters that the terminal cannot show.
    if isinstance(sys.stdout, io.TextIOWrapper):
        sys.stdout.reconfigure(errors="backslashreplace")
    try:
        return _play_and_tell(level, raw_out, arguments.html)
    finally:
        if raw_out is not None:
            raw_out.close()


def _argument_parser() -> argparse.ArgumentParser:
    parser = argparse.ArgumentParser(
        prog=PROGRAM,
        description="Plays a level of velm_engine and tells what happens in every frame.",
        epilog="Exit status: 0 level resolved, 1 frame limit reached, 2 level not playable.")
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
    return parser


def _level_file(argument: str | None) -> Path:
    """The file named on the command line; a bundled level's name also does,
    unless a file of that name exists."""
    if argument is None:
        return default_level()
    bundled = bundled_levels()
    if argument in bundled and not os.path.exists(argument):
        return bundled[argument]
    return Path(argument)


def _html_problem(html: Path, jsonl: Path | None) -> str | None:
    """Why the page could not be written, found before the level is played."""
    if jsonl is not None and html.resolve() == jsonl.resolve():
        return "--html and --jsonl name the same file"
    try:
        check_writable(html)
    except OSError as error:
        return f"cannot write {html}: {error.strerror}"
    return None


def _play_and_tell(level: Level, raw_out: TextIO | None, html: Path | None) -> int:
    print(f"Level: {level.title} ({level.source})")
    start = level.zone.to_json() if html is not None else None
    texts = []
    for text in play(level.zone):
        if raw_out is not None:
            raw_out.write(text + "\n")
        if html is not None:
            texts.append(text)
        report = json.loads(text)
        print("\n".join(narrate_frame(report)))
    print(narrate_ending(report))
    if html is not None:
        try:
            write_replay_page(html, texts, level.title, start=start)
        except (OSError, ReplayError) as error:
            problem = error.strerror if isinstance(error, OSError) else error
            print(f"{PROGRAM}: cannot write {html}: {problem}", file=sys.stderr)
            return EXIT_UNPLAYABLE
    return EXIT_RESOLVED if report["meta"]["status"] == "FINISHED" else EXIT_FRAME_LIMIT
