"""Level files for velm_engine: loading, playing and telling a level.

A level file is JSON text describing a tree of zones with their charges,
agents and inner zones; `load_level` checks it and builds it with the
engine's own classes (`level_from_text` and `level_from_dict` do the same for
a level held in a string or a dict, `make` for a bundled level).
`parse_report` gives a frame report as typed dicts.
`python -m velm_levels LEVEL.json` plays a level.
"""

from importlib.metadata import version

from velm_levels.bundled import bundled_levels, default_level, make
from velm_levels.errors import LevelError
from velm_levels.loader import Level, level_from_dict, level_from_text, load_level
from velm_levels.narration import narrate_ending, narrate_frame
from velm_levels.playthrough import play
from velm_levels.report import FrameReport, ZoneState, parse_report, parse_zone_state
from velm_levels.signed_expression import signed_expression

# The package ships inside the engine's distribution and shares its version.
__version__ = version("velm_engine")

__all__ = [
    "FrameReport",
    "Level",
    "LevelError",
    "ZoneState",
    "__version__",
    "bundled_levels",
    "default_level",
    "level_from_dict",
    "level_from_text",
    "load_level",
    "make",
    "narrate_ending",
    "narrate_frame",
    "parse_report",
    "parse_zone_state",
    "play",
    "signed_expression",
]
