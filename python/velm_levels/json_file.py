"""Reading JSON text, from a file or a string, with errors that point into the text."""

import json
from collections import Counter
from pathlib import Path
from typing import Any

from velm_levels.errors import LevelError


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

    Raises LevelError for a file that cannot be read, is not UTF-8 text or is
    not JSON; the error carries the line and column when the text is at fault.
    """
    try:
        raw = path.read_bytes()
    except OSError as error:
        raise LevelError(f"expected a readable level file ({error.strerror or error})") from None
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


def _line_and_column(raw: bytes, offset: int) -> str:
    """Where byte `offset` of `raw` lies, counted from 1 like JSON errors are."""
    line_start = raw.rfind(b"\n", 0, offset) + 1
    return f"line {raw.count(b'\n', 0, offset) + 1}, column {offset - line_start + 1}"
