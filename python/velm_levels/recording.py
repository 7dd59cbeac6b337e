"""Records of plays: a level's whole stream of frame reports as JSON Lines,
one report per line exactly as the engine returned it, and the comparison of
a record with a fresh play of its level.

`record` and `verify` on the command line and the project's own golden
playthroughs all go through these functions.
"""

import difflib
import io
import json
import lzma
from collections.abc import Iterable, Iterator
from dataclasses import dataclass
from pathlib import Path
from typing import BinaryIO, Protocol

from velm_levels.loader import Level
from velm_levels.playthrough import play

# Enough of the first changed frame to see what changed, without flooding the terminal.
SHOWN_DIFF_LINES = 40


def record_lines(level: Level) -> Iterator[bytes]:
    """Every frame report of a play of `level`, as the lines of its record."""
    for report in play(level.zone):
        yield report.encode() + b"\n"


class LineReader(Protocol):
    """A record being read: a file, plain or decompressed, or bytes in memory."""

    def readline(self, size: int = -1, /) -> bytes: ...


def open_record(path: Path) -> BinaryIO | lzma.LZMAFile:
    """The record file at `path` opened for reading, decompressed when its
    name ends in ".xz"."""
    if path.name.endswith(".xz"):
        return lzma.open(path, "rb")
    return open(path, "rb")


@dataclass(frozen=True)
class Difference:
    """The first line in which a record and a play differ: its index from 0,
    and each side's line, or None for the side that has no such line."""

    index: int
    recorded: bytes | None
    now: bytes | None


def first_difference(recorded: LineReader | bytes, now: Iterable[bytes]) -> Difference | None:
    """Where the record `recorded` (a file or its bytes) first differs from
    the lines `now`, byte for byte, or None when they are the same.

    A record line is read no further than one byte past the line it is
    compared with, so a record that is no record at all (one endless line)
    costs no more memory than the play itself.
    """
    record: LineReader = io.BytesIO(recorded) if isinstance(recorded, bytes) else recorded
    index = -1
    for index, line in enumerate(now):
        recorded_line = record.readline(len(line) + 1)
        if recorded_line != line:
            return Difference(index, recorded_line or None, line)
    extra = record.readline(1 << 20)
    return Difference(index + 1, extra, None) if extra else None


def describe_difference(difference: Difference) -> list[str]:
    """A heading and a short diff of the first differing frame, each report
    laid out one key per line."""
    lines = [f"first difference in frame {difference.index + 1}"]
    if difference.recorded is None or difference.now is None:
        side = "the record" if difference.recorded is None else "the play"
        lines.append(f"{side} has no frame {difference.index + 1}")
    recorded = _laid_out(difference.recorded)
    now = _laid_out(difference.now)
    diff = list(difflib.unified_diff(recorded, now, "recorded", "now", lineterm=""))
    if not diff and recorded:
        diff = ["the two lines hold the same JSON, written differently"]
    lines += diff[:SHOWN_DIFF_LINES]
    if len(diff) > SHOWN_DIFF_LINES:
        lines.append(f"... {len(diff) - SHOWN_DIFF_LINES} more diff lines")
    return lines


def _laid_out(line: bytes | None) -> list[str]:
    if line is None:
        return []
    try:
        return json.dumps(json.loads(line), indent=1, ensure_ascii=False).splitlines()
    except (ValueError, RecursionError):
        # Not JSON (a damaged or cut record), or nested too deeply to lay out:
        # compared as the text it is.
        return [line.decode("utf-8", "backslashreplace").rstrip("\n")]
