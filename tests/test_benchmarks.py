"""The benchmark command keeps running against the current engine; its
figures are for people to read, so none is checked here."""
import pathlib
import subprocess
import sys

import pytest

pytest.importorskip("orjson")

RUN = pathlib.Path(__file__).resolve().parent.parent / "benchmarks" / "run.py"


def test_benchmark_prints_a_row_and_a_verdict_per_level():
    result = subprocess.run(
        [sys.executable, str(RUN), "--only", "worked,deep", "--repeat", "1", "--plays", "1"],
        capture_output=True, text=True, timeout=600)
    assert result.returncode == 0, result.stderr[-3000:]
    table = [line.split("|")[1].strip() for line in result.stdout.splitlines()
             if line.startswith("| ")]
    assert table[2:] == ["worked", "deep"]
    assert "- worked example next_frame:" in result.stdout
    assert "too deep" in result.stdout  # orjson cannot write the deep report


def test_check_benchmark_prints_a_row_per_number_of_jobs():
    script = RUN.with_name("check_levels.py")
    result = subprocess.run([sys.executable, str(script), "--levels", "20", "--repeat", "1"],
                            capture_output=True, text=True, timeout=600)
    assert result.returncode == 0, result.stderr[-3000:]
    rows = [line.split("|")[1].strip() for line in result.stdout.splitlines()
            if line.startswith("| ")]
    assert rows[1:] == ["1", "2"]
