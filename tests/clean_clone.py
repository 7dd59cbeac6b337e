"""A copy of the clone as a fresh checkout would hold it, for tests of the set-up."""
import os
import shutil
import subprocess
from pathlib import Path

ROOT = Path(__file__).parents[1]

# How an outer make (make test) hands its settings to the makes below it.
_MAKE_VARIABLES = {"MAKEFLAGS", "MFLAGS", "MAKELEVEL"}


def environment_for_make() -> dict[str, str]:
    """This process's environment without _MAKE_VARIABLES, so that a make that
    a test starts runs on its own, not as a part of the make running the tests."""
    return {name: value for name, value in os.environ.items() if name not in _MAKE_VARIABLES}


def copy_clone(destination: Path) -> Path:
    """Copies every file that git tracks or would track (as it is on disk, with
    uncommitted changes) into `destination`, leaving out ignored ones such as
    .venv and build, and returns `destination`."""
    listed = subprocess.run(
        ["git", "ls-files", "-z", "--cached", "--others", "--exclude-standard"],
        cwd=ROOT, capture_output=True, check=True).stdout.decode().split("\0")
    for name in filter(None, listed):
        source = ROOT / name
        if source.is_file():
            target = destination / name
            target.parent.mkdir(parents=True, exist_ok=True)
            shutil.copy2(source, target)
    return destination
