"""`make run` sets everything up from a fresh clone on a machine without CMake or Ninja.

It builds the whole project once, so it takes minutes: it is marked clean_build,
left out of `make test`, and run by `make test-clean-build` (and CI).
"""
import re
import shutil
import subprocess

import pytest

from clean_clone import copy_clone, environment_for_make
from command_path import path_without

BUILD_TOOLS = {"cmake", "ninja", "ctest", "cpack"}


@pytest.mark.clean_build
def test_make_run_builds_and_plays_with_no_cmake_or_ninja_on_the_path(tmp_path):
    clone = copy_clone(tmp_path / "clone")
    path = path_without(tmp_path / "bin", lambda name: name in BUILD_TOOLS)
    assert shutil.which("cmake", path=path) is None and shutil.which("ninja", path=path) is None
    result = subprocess.run(["make", "run"], cwd=clone, capture_output=True, text=True,
                            timeout=1800, env={**environment_for_make(), "PATH": path})
    assert result.returncode == 0, result.stdout[-3000:] + result.stderr[-3000:]
    # Both tools came from the package index into the clone's own venv.
    assert (clone / ".venv" / "bin" / "cmake").exists()
    assert (clone / ".venv" / "bin" / "ninja").exists()
    # The compiler's progress is shown while the engine builds (pip passes it on
    # to standard error).
    steps = re.findall(r"^\s*\[\d+/\d+\] Building CXX object", result.stdout + result.stderr,
                       re.MULTILINE)
    assert len(steps) > 20
    assert (clone / "build" / "dev").is_dir()
    assert "Frame 4 | FINISHED | Equation Resolved." in result.stdout
