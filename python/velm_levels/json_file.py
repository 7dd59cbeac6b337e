"""Reading JSON text, from a file or a string, with errors that point into the text."""

import errno
import json
import os
import stat
from collections import Counter
from pathlib import Path
from typing import Any

from velm_levels.errors import LevelError

# Hand-made levels take a few kilobytes; 16 MiB leaves room for generated ones
# up to the zone, agent and charge caps while keeping every read bounded.
MAX_LEVEL_FILE_BYTES = 16 * 1024 * 1024
_SPECIAL_FILE_KINDS = (
    (stat.S_ISFIFO, "a FIFO"),
    (stat.S_ISCHR, "a character device"),
    (stat.S_ISBLK, "a block device"),
    (stat.S_ISSOCK, "a socket"),
)


class JsonObject(dict[str, Any]):
    """A JSON object that remembers which keys its text gave more than once.

    Python's parser silently keeps the last of repeated keys; a level author
    who wrote a key twice almost certainly meant something else, so the keys
    are kept for the validator to complain about with the object's path.
    """

    __slots__ = ("repeated_keys",)

    def __init__(self, pairs: list[tuple[str, Any]]):
        super().__init__(pairs)
        self.repeated_keys: tuple[str, ...] = ()
        if len(self) < len(pairs):
            counts = Counter(key for key, _ in pairs)
            self.repeated_keys = tuple(key for key, count in counts.items() if count > 1)


def read_json_file(path: Path) -> Any:
    """The JSON value held by the file at `path`, objects as JsonObject.

    Raises LevelError for a file that cannot be read, is no regular file, is
    larger than MAX_LEVEL_FILE_BYTES, is not UTF-8 text or is not JSON; the
    error carries the line and column when the text is at fault.
    """
    raw = read_level_bytes(path)
    try:
        text = raw.decode("utf-8-sig")
    except UnicodeDecodeError as error:
        raise LevelError("expected UTF-8 text", _line_and_column(raw, error.start)) from None
    return parse_json_text(text)


def parse_json_text(text: str) -> Any:
    """The JSON value that `text` holds, objects as JsonObject.

    Raises LevelError for text that is not JSON, with the line and column when
    the parser knows them.
    """
    try:
        return json.loads(text, object_pairs_hook=JsonObject)
    except json.JSONDecodeError as error:
        place = f"line {error.lineno}, column {error.colno}"
        raise LevelError(f"expected JSON text: {error.msg}", place) from None
    except ValueError as error:
        # Python refuses integer literals too long to convert, with no position.
        raise LevelError(f"expected JSON text: {error}") from None
    except RecursionError:
        raise LevelError("expected JSON nested less deeply than Python can read") from None


def read_level_bytes(path: Path) -> bytes:
    """The bytes of the regular file at `path`, refused at once when there
    are more than MAX_LEVEL_FILE_BYTES of them.

    A FIFO, a device or /dev/zero would make a plain read wait or fill memory,
    so the file's kind and size are checked on the opened file before reading.
    """
    try:
        # Without O_NONBLOCK, opening a FIFO waits until something writes to it.
        descriptor = os.open(path, os.O_RDONLY | os.O_NONBLOCK | os.O_CLOEXEC)
        with open(descriptor, "rb") as file:
            _check_kind_and_size(os.fstat(descriptor))
            # A file that grows after the check is still read no further than the cap.
            raw = file.read(MAX_LEVEL_FILE_BYTES + 1)
    except OSError as error:
        raise LevelError(f"expected a readable level file ({error.strerror or error})") from None
    if len(raw) > MAX_LEVEL_FILE_BYTES:
        raise _too_large(len(raw))
    return raw


def _check_kind_and_size(status: os.stat_result) -> None:
    if stat.S_ISDIR(status.st_mode):
        raise LevelError(f"expected a readable level file ({os.strerror(errno.EISDIR)})")
    if not stat.S_ISREG(status.st_mode):
        kind = next((kind for is_kind, kind in _SPECIAL_FILE_KINDS if is_kind(status.st_mode)),
                    "a special file")
        raise LevelError(f"expected a regular level file, found {kind}")
    if status.st_size > MAX_LEVEL_FILE_BYTES:
        raise _too_large(status.st_size)


def _too_large(size: int) -> LevelError:
    return LevelError(f"expected a level file of at most {MAX_LEVEL_FILE_BYTES >> 20} MiB, "
                      f"found {size} bytes")


def _line_and_column(raw: bytes, offset: int) -> str:
    """Where byte `offset` of `raw` lies, counted from 1 like JSON errors are."""
    line_start = raw.rfind(b"\n", 0, offset) + 1
    return f"line {raw.count(b'\n', 0, offset) + 1}, column {offset - line_start + 1}"
