"""The benchmark commands keep running against the current engine; their
figures are for people to read, so none is checked here."""
import pathlib
import subprocess
import sys

import pytest

BENCHMARKS = pathlib.Path(__file__).resolve().parent.parent / "benchmarks"
RUN = BENCHMARKS / "run.py"


def test_benchmark_prints_a_row_and_a_verdict_per_level():
    pytest.importorskip("orjson")
    result = subprocess.run(
        [sys.executable, str(RUN), "--only", "worked,deep", "--repeat", "1", "--plays", "1"],
        capture_output=True, text=True, timeout=600)
    assert result.returncode == 0, result.stderr[-3000:]
    table = [line.split("|")[1].strip() for line in result.stdout.splitlines()
             if line.startswith("| ")]
    assert table[2:] == ["worked", "deep-500"]
    assert "- worked example next_frame:" in result.stdout
    assert "too deep" in result.stdout  # orjson cannot write the deep report


def test_chain_benchmark_prints_a_row_per_order_and_size():
    result = subprocess.run(
        [sys.executable, str(BENCHMARKS / "chain_building.py"),
         "--sizes", "10,20", "--repeat", "1"],
        capture_output=True, text=True, timeout=600)
    assert result.returncode == 0, result.stderr[-3000:]
    rows = [line.split("|")[1:3] for line in result.stdout.splitlines() if line.startswith("| ")]
    assert [(order.strip(), size.strip()) for order, size in rows[2:]] == [
        ("top-down", "10"), ("top-down", "20"), ("bottom-up", "10"), ("bottom-up", "20")]


def test_check_benchmark_prints_a_row_per_number_of_jobs():
    script = BENCHMARKS / "check_levels.py"
    result = subprocess.run([sys.executable, str(script), "--levels", "20", "--repeat", "1"],
                            capture_output=True, text=True, timeout=600)
    assert result.returncode == 0, result.stderr[-3000:]
    rows = [line.split("|")[1].strip() for line in result.stdout.splitlines()
            if line.startswith("| ")]
    assert rows[1:] == ["1", "2"]
