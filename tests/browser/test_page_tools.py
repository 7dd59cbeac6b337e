"""The commands around replay pages keep running: the screenshot that the
README shows and the page benchmark. Their output is for people; only its
shape is checked here."""

import subprocess
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]


def run(*arguments):
    result = subprocess.run([sys.executable, *map(str, arguments)], capture_output=True, text=True,
                            timeout=300)
    assert result.returncode == 0, result.stderr[-3000:]
    return result.stdout


def test_the_screenshot_command_writes_a_picture(browser, tmp_path):
    run(ROOT / "scripts" / "replay_screenshot.py", tmp_path / "replay.png",
        "--level", "worked_example")
    assert (tmp_path / "replay.png").read_bytes().startswith(b"\x89PNG\r\n\x1a\n")


def test_the_page_benchmark_prints_a_row_per_level(browser):
    output = run(ROOT / "benchmarks" / "replay_page.py",
                 "--only", "worked_example", "--repeat", "1")
    rows = [line.split("|")[1].strip() for line in output.splitlines() if line.startswith("| ")]
    assert rows == ["level", "worked_example"]
