"""The sample levels that ship with the package."""

from pathlib import Path

from velm_levels.errors import LevelError
from velm_levels.json_values import quote, quote_all
from velm_levels.loader import Level, load_level

LEVELS_DIRECTORY = Path(__file__).parent / "levels"

# Played when no level is named: the small nested level that shows an agent
# acting, a zone merging and the level completing.
DEFAULT_LEVEL = "worked_example"


def bundled_levels() -> dict[str, Path]:
    """Every bundled level file by its name (the file name without ".json")."""
    return {path.stem: path for path in sorted(LEVELS_DIRECTORY.glob("*.json"))}


def default_level() -> Path:
    """The file of the level played when none is named."""
    return LEVELS_DIRECTORY / f"{DEFAULT_LEVEL}.json"


def make(name: str) -> Level:
    """A freshly built copy of the bundled level `name`, as `bundled_levels()`
    names them; every call builds new zones, so each game starts afresh.

    Raises LevelError for a name that no bundled level has.
    """
    if not isinstance(name, str):
        raise TypeError(f"make: expected a level's name as a str, found {type(name).__name__}")
    levels = bundled_levels()
    if name not in levels:
        raise LevelError(f"expected the name of a bundled level, one of "
                         f"{quote_all(levels)}; found {quote(name)}")
    return load_level(levels[name])
