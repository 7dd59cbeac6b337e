"""Loading a level file into a zone tree ready to be played."""

import os
from dataclasses import dataclass
from pathlib import Path

from velm_engine import Environment

from velm_levels.errors import LevelError
from velm_levels.expectation import Expectation
from velm_levels.json_file import read_json_file
from velm_levels.level_builder import build_zone_tree
from velm_levels.level_parser import parse_level
from velm_levels.zone_graph import check_zone_graph


@dataclass(frozen=True)
class Level:
    """A loaded level: its title, its top zone, the file it came from and the
    outcome its author expects, if the file says."""

    title: str
    zone: Environment
    source: Path
    expect: Expectation | None = None


def load_level(path: str | os.PathLike[str]) -> Level:
    """Reads, checks and builds the level in the file at `path`.

    Raises LevelError naming the file, the place in it and what was expected
    when the file cannot be read, is not a well-formed level, or describes a
    tree that the engine could not play. The title defaults to the file name.
    """
    source = Path(path)
    try:
        spec = parse_level(read_json_file(source))
        check_zone_graph(spec)
        zone = build_zone_tree(spec)
        _check_depth(zone)
    except LevelError as error:
        raise error.in_file(str(source)) from None
    return Level(spec.title or source.stem, zone, source, spec.expect)


def _check_depth(zone: Environment) -> None:
    # The engine alone knows how deep a tree it will walk; asking it for the
    # state once finds a too deep level now rather than at its first frame.
    try:
        zone.to_json()
    except RecursionError as too_deep:
        raise LevelError(f"expected zones nested no deeper than the engine plays ({too_deep})",
                         "$.zone") from None
