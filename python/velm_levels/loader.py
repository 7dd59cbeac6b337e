"""Loading a level, from a file, a string or a dict, into zones ready to be played."""

import json
import os
from collections.abc import Callable
from dataclasses import dataclass, field
from pathlib import Path
from typing import Any

from velm_engine import Environment

from velm_levels.errors import LevelError
from velm_levels.expectation import Expectation
from velm_levels.json_file import parse_json_text, read_json_file
from velm_levels.level_builder import build_zone_tree
from velm_levels.level_model import LevelSpec
from velm_levels.level_parser import parse_level
from velm_levels.zone_graph import check_zone_graph

# The title of a level read from a string or a dict that names none.
UNTITLED = "untitled"


@dataclass(frozen=True)
class Level:
    """A loaded level: its title and notes, its top zone, the file it came from
    and the outcome its author expects, if the file says.

    `zone` is built when the level is loaded. Playing changes the zones for
    good (agents leave, inner zones merge away), so a host that plays the level
    again asks `build_zone()` for a fresh tree. `source` is None for a level
    that was not read from a file.
    """

    title: str
    zone: Environment
    source: Path | None
    notes: str
    expect: Expectation | None
    _spec: LevelSpec = field(repr=False, compare=False)

    def build_zone(self) -> Environment:
        """A new top zone holding the level as it was before its first frame."""
        return build_zone_tree(self._spec)


def load_level(path: str | os.PathLike[str]) -> Level:
    """Reads, checks and builds the level in the file at `path`.

    Raises LevelError naming the file, the place in it and what was expected
    when the file cannot be read, is not a well-formed level, or describes a
    tree that the engine could not play. The title defaults to the file name.
    """
    source = Path(path)
    try:
        spec = parse_level(read_json_file(source))
        zone = _build_checked(spec)
    except LevelError as error:
        raise error.in_file(str(source)) from None
    return _level(spec, zone, source.stem, source)


def level_from_text(text: str, source: str | None = None) -> Level:
    """Checks and builds the level whose level-file text is `text`.

    The checks and the places in errors are those of a file; `source`, when
    given, names the text in errors. The title defaults to "untitled".
    """
    if not isinstance(text, str):
        raise TypeError(f"level_from_text: expected the level's text as a str, "
                        f"found {type(text).__name__}")
    return _from_document(lambda: parse_json_text(text), source)


def level_from_dict(document: dict[str, Any], source: str | None = None) -> Level:
    """Checks and builds the level that `document`, a level file's content as
    Python values (dicts, lists, strings, numbers, booleans, None), describes.

    The checks and the places in errors are those of a file, so a mistake is
    told the same way whichever form the level came in; `source`, when given,
    names the document in errors. The document is only read, never kept.
    """
    return _from_document(lambda: parse_json_text(_as_json_text(document)), source)


def _from_document(parse: Callable[[], Any], source: str | None) -> Level:
    try:
        spec = parse_level(parse())
        zone = _build_checked(spec)
    except LevelError as error:
        raise (error.in_file(source) if source else error) from None
    return _level(spec, zone, UNTITLED, None)


def _as_json_text(document: Any) -> str:
    # Going through the text that a file would hold gives exactly a file's
    # checks, and refuses what no file can say: values of other types, and
    # containers that hold themselves (which would never finish unfolding).
    try:
        return json.dumps(document)
    except TypeError as error:
        raise LevelError(f"expected only JSON values (dicts with string keys, lists, "
                         f"strings, numbers, booleans, None): {error}") from None
    except ValueError:
        raise LevelError("expected a document without circular references, found a dict "
                         "or list inside itself") from None
    except RecursionError:
        raise LevelError("expected JSON nested less deeply than Python can read") from None


def _build_checked(spec: LevelSpec) -> Environment:
    check_zone_graph(spec)
    zone = build_zone_tree(spec)
    _check_depth(zone)
    return zone


def _level(spec: LevelSpec, zone: Environment, default_title: str,
           source: Path | None) -> Level:
    return Level(spec.title or default_title, zone, source, spec.notes, spec.expect, spec)


def _check_depth(zone: Environment) -> None:
    # The engine alone knows how deep a tree it will walk; asking it for the
    # state once finds a too deep level now rather than at its first frame.
    try:
        zone.to_json()
    except RecursionError as too_deep:
        raise LevelError(f"expected zones nested no deeper than the engine plays ({too_deep})",
                         "$.zone") from None
