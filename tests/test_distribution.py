"""What the installed distribution holds and says about itself (as built from its wheel)."""
from importlib.metadata import distribution
from pathlib import Path

import pytest

DISTRIBUTION = distribution("velm_engine")
# A distribution without its RECORD lists no files, and every check of them fails.
INSTALLED = {str(path) for path in DISTRIBUTION.files or []}
ROOT = Path(__file__).parents[1]


@pytest.mark.parametrize("name", [
    "velm_levels/schemas/level.schema.json",
    "velm_levels/schemas/frame-report.schema.json",
    "velm_levels/py.typed",
    "velm_engine-stubs/__init__.pyi",
    f"velm_engine-{DISTRIBUTION.version}.dist-info/licenses/LICENSE",
])
def test_wheel_ships(name):
    assert name in INSTALLED


def test_metadata_names_the_license_and_invents_no_address():
    metadata = DISTRIBUTION.metadata
    assert metadata["License-Expression"] == "MIT"
    assert metadata.get_all("License-File") == ["LICENSE"]
    assert metadata.get_all("Project-URL") is None and metadata.get_all("Home-page") is None
    assert "Programming Language :: Python :: 3.13" in metadata.get_all("Classifier", [])


def test_long_description_is_the_users_page():
    metadata = DISTRIBUTION.metadata
    assert metadata["Description-Content-Type"] == "text/markdown"
    assert metadata["Description"] == (ROOT / "docs" / "package.md").read_text()
