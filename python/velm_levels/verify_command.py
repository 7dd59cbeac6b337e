"""`verify RECORD LEVEL`: play the level afresh and compare it with its record.

Exit status 0 when every frame report is identical, byte for byte, 1 when
one differs (the first is shown), 2 when the level or the record cannot be
read.
"""

import argparse
import lzma
from pathlib import Path

from velm_levels import exit_status
from velm_levels.console import complain, say
from velm_levels.errors import LevelError
from velm_levels.loader import load_level
from velm_levels.player import level_file
from velm_levels.recording import describe_difference, first_difference, open_record, record_lines
from velm_levels.terminal_text import shown


def add_verify_arguments(parser: argparse.ArgumentParser) -> None:
    parser.add_argument("record", metavar="RECORD", type=Path,
                        help="a record file, as `record` or `--jsonl` writes it "
                             "(read as xz when its name ends in .xz)")
    parser.add_argument("level", metavar="LEVEL",
                        help="the level file it records, or the name of a bundled level")


def run_verify(options: argparse.Namespace, program: str) -> int:
    try:
        level = load_level(level_file(options.level))
    except LevelError as error:
        complain(program, str(error))
        return exit_status.UNPLAYABLE
    record_name, level_name = shown(str(options.record)), shown(str(level.source))
    try:
        with open_record(options.record) as record:
            difference = first_difference(record, record_lines(level))
    except (OSError, lzma.LZMAError, EOFError) as error:
        reason = error.strerror if isinstance(error, OSError) and error.strerror else error
        complain(program, f"cannot read {record_name}: {reason}")
        return exit_status.UNPLAYABLE
    if difference is None:
        say(f"{record_name}: identical to a fresh play of {level_name}")
        return exit_status.PASSED
    say(f"{record_name}: differs from a fresh play of {level_name}")
    for line in describe_difference(difference):
        say(line)
    return exit_status.FAILED
