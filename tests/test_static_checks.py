"""The Python code passes its static checks, with the settings in pyproject.toml:
ruff (lint and import order) over all of it, and mypy over the tests, the
benchmarks and the scripts. The companion package is type-checked strictly on
its own, against the stubs (test_type_stubs.py)."""
import subprocess
import sys

import pytest

from clean_clone import ROOT
from helpers import SANITIZED

# The checked code is the same whatever the build, so the sanitizer run skips them.
pytestmark = pytest.mark.skipif(SANITIZED, reason="the normal test run checks the same code")


def run_module(*arguments):
    return subprocess.run([sys.executable, "-m", *map(str, arguments)], cwd=ROOT,
                          capture_output=True, text=True, timeout=600)


def test_ruff_finds_nothing():
    result = run_module("ruff", "check", "--no-cache", "python", "tests", "benchmarks", "scripts")
    assert result.returncode == 0, result.stdout + result.stderr


def test_mypy_finds_nothing_in_the_tests_benchmarks_and_scripts(tmp_path):
    result = run_module("mypy", "--cache-dir", tmp_path / "cache", "tests", "benchmarks",
                        "scripts")
    assert result.returncode == 0, result.stdout + result.stderr
