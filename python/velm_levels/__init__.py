"""Level files for velm_engine: loading, playing and telling a level.

A level file is JSON text describing a tree of zones with their charges,
agents and inner zones; `load_level` checks it and builds it with the
engine's own classes. `python -m velm_levels LEVEL.json` plays one.
"""

from velm_levels.bundled import bundled_levels, default_level
from velm_levels.errors import LevelError
from velm_levels.loader import Level, load_level
from velm_levels.narration import narrate_ending, narrate_frame
from velm_levels.playthrough import play
from velm_levels.signed_expression import signed_expression

__all__ = [
    "Level",
    "LevelError",
    "bundled_levels",
    "default_level",
    "load_level",
    "narrate_ending",
    "narrate_frame",
    "play",
    "signed_expression",
]
