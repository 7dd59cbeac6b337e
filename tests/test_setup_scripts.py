"""The set-up from a fresh clone tells clearly what is missing and stops there,
and passes CI's settings on to the build."""
import subprocess
from pathlib import Path

import pytest

from clean_clone import ROOT, copy_clone, environment_for_make
from command_path import path_without

# Places find-python always tries; a test cannot hide an interpreter there.
FIXED_PLACES = [Path("/usr/local/bin/python3.13"), Path("/usr/bin/python3.13")]


@pytest.mark.skipif(any(place.exists() for place in FIXED_PLACES),
                    reason="a Python 3.13 in /usr cannot be hidden from find-python")
def test_make_without_python_3_13_says_what_to_install_in_one_line(tmp_path):
    clone = copy_clone(tmp_path / "clone")
    path = path_without(tmp_path / "bin", lambda name: name.startswith("python3.13"))
    result = subprocess.run(["make", "run"], cwd=clone, capture_output=True, text=True,
                            timeout=60, env={"PATH": path, "HOME": str(tmp_path),
                                             "PYENV_ROOT": str(tmp_path / "no-pyenv")})
    assert result.returncode != 0
    explained, *rest = result.stderr.splitlines()
    assert explained.startswith("find-python: no working Python 3.13 found")
    assert "install Python 3.13" in explained
    # Only make's own note that the recipe failed follows; no shell error about
    # running an empty interpreter path.
    assert len(rest) == 1 and rest[0].startswith("make: ***"), result.stderr
    assert not (clone / ".venv").exists()


@pytest.mark.parametrize("value", ["ON", "OFF"])
def test_the_warnings_as_errors_setting_reaches_the_build(value):
    # CI exports CMAKE_WERROR=ON; the option must reach CMake, and a venv built
    # with the other setting must be rebuilt (make -n shows the install then).
    result = subprocess.run(["make", "-n", "test"], cwd=ROOT, capture_output=True, text=True,
                            timeout=60, env={**environment_for_make(), "CMAKE_WERROR": value})
    assert result.returncode == 0, result.stderr
    assert f"-Ccmake.define.VELM_WARNINGS_AS_ERRORS={value} " in result.stdout
