"""Level files for velm_engine.

A level file is JSON text describing a tree of zones with their charges,
agents and inner zones; `load_level` checks it and builds it with the
engine's own classes.
"""

from velm_levels.errors import LevelError
from velm_levels.loader import Level, load_level

__all__ = ["Level", "LevelError", "load_level"]
