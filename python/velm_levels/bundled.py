"""The sample levels that ship with the package."""

from pathlib import Path

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
