"""A copy of the clone as a fresh checkout would hold it, for tests of the set-up."""
import shutil
import subprocess
from pathlib import Path

ROOT = Path(__file__).parents[1]


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
