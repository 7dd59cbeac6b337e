"""`check`: many levels played in parallel, one line (or JSON object) each."""
import fcntl
import json
import os
import signal
import struct
import subprocess
import termios
import time

import pytest

from cli_runs import (
    PROGRAM,
    endless_zone,
    run_cli,
    solved_zone,
    stalled_zone,
    write_level,
)
from velm_levels.bundled import LEVELS_DIRECTORY

STALL_LEFT = "1 agent left (Vault: 1); not merged: Vault; Top holds +1"
FOLDER_LINES = [
    "levels/good.json: solved in 2 frames: +7",
    "levels/limit.json: frame limit after 1000 frames: 1 agent left (Treadmill: 1); "
    "Treadmill holds +1; as expected",
    "levels/malformed.json: unplayable: line 1, column 10: expected JSON text: Expecting value",
    f"levels/met_stall.json: stalled after 1 frame: {STALL_LEFT}; as expected",
    "levels/missed.json: solved in 2 frames: +7; not as expected: expected value 8, got +7",
    f"levels/stalled.json: stalled after 1 frame: {STALL_LEFT}",
    "levels/sub/nested.json: solved in 2 frames: +7",
    "7 levels: 3 solved, 2 stalled, 1 frame limit, 1 unplayable; 4 passed, 3 failed",
]


@pytest.fixture
def folder(tmp_path):
    """A folder of levels of every outcome, with and without expectations, in
    tmp_path/levels; the tests run from tmp_path."""
    levels = tmp_path / "levels"
    write_level(levels / "good.json", solved_zone())
    write_level(levels / "stalled.json", stalled_zone())
    write_level(levels / "met_stall.json", stalled_zone(), expect={"outcome": "stalled"})
    write_level(levels / "missed.json", solved_zone(), expect={"value": 8})
    write_level(levels / "limit.json", endless_zone(), expect={"outcome": "frame limit"})
    write_level(levels / "sub" / "nested.json", solved_zone())
    (levels / "malformed.json").write_text('{"zone": }')
    (levels / "notes.txt").write_text("not a level")
    return tmp_path


def test_text_lines_come_in_path_order_with_a_total(folder):
    result = run_cli("check", "levels", "--jobs", "2", cwd=folder)
    assert (result.returncode, result.stderr) == (1, "")
    assert result.stdout.splitlines() == FOLDER_LINES


def test_one_worker_and_two_give_the_same_output(folder):
    outputs = {jobs: run_cli("check", "levels", "levels/good.json", "--jobs", jobs, cwd=folder)
               for jobs in (1, 2)}
    assert outputs[1].stdout == outputs[2].stdout
    assert outputs[1].stdout.splitlines() == FOLDER_LINES  # the repeated file is checked once


def test_json_format_gives_one_object_per_level(folder):
    result = run_cli("check", "levels", "--format", "json", cwd=folder)
    assert result.returncode == 1
    objects = {entry["path"]: entry for entry in map(json.loads, result.stdout.splitlines())}
    assert len(objects) == 7
    assert objects["levels/missed.json"] == {
        "path": "levels/missed.json", "outcome": "solved", "frames": 2, "value": 7.0,
        "message": "", "passed": False,
        "expectation": {"expected": {"outcome": "solved", "value": 8}, "met": False,
                        "unmet": ["expected value 8, got +7"]}}
    assert objects["levels/stalled.json"] == {
        "path": "levels/stalled.json", "outcome": "stalled", "frames": 1, "value": None,
        "message": STALL_LEFT, "expectation": None, "passed": False}
    assert objects["levels/malformed.json"]["frames"] is None
    assert objects["levels/malformed.json"]["message"].startswith("line 1, column 10")
    assert [objects[path]["passed"] for path in sorted(objects)] == [
        True, True, False, True, False, False, True]


def test_every_bundled_level_meets_its_expectation(tmp_path):
    result = run_cli("check", LEVELS_DIRECTORY, cwd=tmp_path)
    assert result.returncode == 0, result.stdout
    assert result.stdout.splitlines()[-1] == (
        "17 levels: 12 solved, 4 stalled, 1 frame limit, 0 unplayable; 17 passed, 0 failed")


def test_a_dask_cluster_checks_the_same_levels_the_same_way(folder):
    distributed = pytest.importorskip("distributed")
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                  dashboard_address=None) as cluster:
        result = run_cli("check", "levels", "--dask", cluster.scheduler_address, cwd=folder)
    assert result.returncode == 1, result.stderr
    assert result.stdout.splitlines() == FOLDER_LINES


def test_a_progress_bar_shows_only_when_standard_error_is_a_terminal(folder):
    terminal, its_other_end = os.openpty()
    # A new pseudo-terminal has no size, and a bar of no columns shows nothing.
    fcntl.ioctl(terminal, termios.TIOCSWINSZ, struct.pack("HHHH", 24, 80, 0, 0))
    with subprocess.Popen([*PROGRAM, "check", "levels"], cwd=folder, stdout=subprocess.DEVNULL,
                          stderr=its_other_end) as process:
        os.close(its_other_end)
        shown = b""
        while chunk := _read_or_nothing(terminal):
            shown += chunk
    os.close(terminal)
    assert process.returncode == 1
    assert b"7/7" in shown and b"level" in shown
    assert run_cli("check", "levels", cwd=folder).stderr == ""


def _read_or_nothing(terminal):
    try:
        return os.read(terminal, 4096)
    except OSError:  # Linux reports the closed other end as EIO.
        return b""


@pytest.mark.parametrize("arguments, message", [
    (["check", "empty"], "empty: found no *.json level files in this folder"),
    (["check", "levels", "--jobs", "0"], "expected a whole number of at least 1, found '0'"),
    (["check"], "the following arguments are required: PATH"),
])
def test_bad_arguments_end_with_status_two(folder, arguments, message):
    (folder / "empty").mkdir()
    result = run_cli(*arguments, cwd=folder)
    assert (result.returncode, result.stdout) == (2, "")
    assert message in result.stderr


def test_ctrl_c_at_the_terminal_stops_the_workers_too_and_ends_quietly(tmp_path):
    for number in range(400):  # far more than two workers get through before the signal
        write_level(tmp_path / "levels" / f"limit{number}.json", endless_zone())
    with subprocess.Popen([*PROGRAM, "check", "levels", "--jobs", "2"], cwd=tmp_path,
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                          start_new_session=True) as process:
        time.sleep(1.5)
        os.killpg(process.pid, signal.SIGINT)  # what Ctrl-C does: the whole group
        _, errors = process.communicate(timeout=30)
    assert (process.returncode, errors) == (130, b"")


def test_dask_without_its_extra_installed_is_a_bad_argument(tmp_path):
    without_dask = ("import sys; sys.modules['distributed'] = None; from velm_levels.cli import "
                    "main; raise SystemExit(main(['check', 'worked_example', '--dask', 'x']))")
    result = subprocess.run([PROGRAM[0], "-c", without_dask], capture_output=True, text=True,
                            cwd=tmp_path, timeout=60)
    assert (result.returncode, result.stderr) == (
        2, "velm-play: --dask needs the dask extra: pip install 'velm_engine[dask]'\n")
