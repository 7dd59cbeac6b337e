"""The command line player, run as a host runs it: `python -m velm_levels`."""
import importlib.metadata
import subprocess
import sys
from pathlib import Path

import pytest

from cli_runs import solved_zone, stalled_zone, write_level
from golden_playthroughs import golden


def run_player(*arguments, cwd):
    return subprocess.run([sys.executable, "-m", "velm_levels", *arguments],
                          capture_output=True, text=True, cwd=cwd, timeout=300)


def test_default_level_plays_to_its_end_and_writes_its_reports_unchanged(tmp_path):
    result = run_player("--jsonl", "frames.jsonl", cwd=tmp_path)
    assert result.returncode == 0, result.stderr
    assert result.stdout.splitlines()[1:] == [
        "Frame 1 | CAST_SPELL | Multiply Magician executed operation in Inner [m1]",
        "  Top: +2  [frozen, 1 agent]",
        "    Inner: +12",
        "Frame 2 | COLLAPSE_ZONE | Zone Inner has resolved and merged.",
        "  Top: +2 + 12  [1 agent]",
        "Frame 3 | CAST_SPELL | Plus Magician executed operation in Top [p1]",
        "  Top: +14",
        "Frame 4 | FINISHED | Equation Resolved.",
        "  Top: +14",
        "Level ended at frame 4 with FINISHED: Equation Resolved.",
        "Outcome: solved in 4 frames: +14; as expected",
    ]
    assert (tmp_path / "frames.jsonl").read_bytes() == golden("worked_example")


def test_level_that_meets_the_frame_limit_exits_with_status_one(tmp_path):
    result = run_player("frame_limit", cwd=tmp_path)
    assert result.returncode == 1, result.stderr
    assert result.stdout.splitlines()[-2:] == [
        "Level ended at frame 1000 with ERROR: Max frame limit reached. Infinite loop detected.",
        "Outcome: frame limit after 1000 frames: 1 agent left (Treadmill: 1); Treadmill holds +1; "
        "as expected"]


@pytest.mark.parametrize("level_text, message", [
    (None, "missing.json: expected a readable level file (No such file or directory)"),
    ('{"zone": {"id": "z", "agents": [{"kind": "wizard", "visual_id": "w"}]}}',
     'level.json: $.zone.agents[0].kind: expected one of "plus_magician", '),
    ('{"zone": {"id": "z",}}',
     "level.json: line 1, column 20: expected JSON text: "
     "Illegal trailing comma before end of object"),
])
def test_unplayable_level_exits_with_status_two_and_one_line_on_stderr(tmp_path, level_text,
                                                                       message):
    name = "missing.json" if level_text is None else "level.json"
    if level_text is not None:
        (tmp_path / name).write_text(level_text)
    result = run_player(name, cwd=tmp_path)
    assert (result.returncode, result.stdout) == (2, "")
    assert result.stderr.startswith(f"python -m velm_levels: {message}")
    assert len(result.stderr.splitlines()) == 1


def test_unwritable_jsonl_file_exits_with_status_two(tmp_path):
    result = run_player("--jsonl", str(tmp_path / "no" / "such" / "dir.jsonl"), cwd=tmp_path)
    assert result.returncode == 2
    assert "cannot write" in result.stderr and "Traceback" not in result.stderr


def test_a_file_shadows_a_bundled_level_of_the_same_name(tmp_path):
    (tmp_path / "frame_limit").write_text(
        '{"title": "Mine", "zone": {"id": "z", "charges": '
        '[{"magnitude": 1, "polarity": "positive", "visual_id": "c"}]}}')
    result = run_player("frame_limit", cwd=tmp_path)
    assert result.returncode == 0
    assert result.stdout.startswith("Level: Mine (frame_limit)")


@pytest.mark.parametrize("level, status, closing", [
    ("worked_example", 0, "Outcome: solved in 4 frames: +14; as expected"),
    ("frame_limit", 1, "Outcome: frame limit after 1000 frames: 1 agent left (Treadmill: 1); "
                       "Treadmill holds +1; as expected"),
    ("nested_citadel", 3, "Outcome: stalled after 8 frames: 2 agents left (Citadel: 1, Vault: 1); "
                          "not merged: Vault; Citadel holds +5 + 14; as expected"),
])
def test_summary_prints_the_closing_line_and_the_status_tells_the_outcome(
        tmp_path, level, status, closing):
    summary = run_player("play", level, "--summary", cwd=tmp_path)
    assert (summary.returncode, summary.stdout, summary.stderr) == (status, closing + "\n", "")
    quiet = run_player(level, "--quiet", cwd=tmp_path)
    assert (quiet.returncode, quiet.stdout, quiet.stderr) == (status, "", "")


def test_a_stalled_level_is_told_so_after_every_frame(tmp_path):
    write_level(tmp_path / "stall.json", stalled_zone())
    result = run_player("stall.json", cwd=tmp_path)
    assert result.returncode == 3
    assert result.stdout.splitlines()[-2:] == [
        "Level ended at frame 1 with FINISHED: Equation Resolved.",
        "Outcome: stalled after 1 frame: 1 agent left (Vault: 1); not merged: Vault; Top holds +1"]


def test_an_outcome_other_than_expected_is_told_with_what_was_expected(tmp_path):
    write_level(tmp_path / "level.json", solved_zone(),
                expect={"outcome": "solved", "value": 8, "frames": 2})
    told = "Outcome: solved in 2 frames: +7; not as expected: expected value 8, got +7"
    result = run_player("level.json", cwd=tmp_path)
    assert (result.returncode, result.stdout.splitlines()[-1]) == (0, told)
    quiet = run_player("level.json", "--quiet", cwd=tmp_path)
    assert (quiet.returncode, quiet.stdout) == (0, "")
    assert quiet.stderr == f"python -m velm_levels: level.json: {told}\n"


def test_version_and_help_of_both_entry_points(tmp_path):
    version = importlib.metadata.version("velm_engine")
    assert run_player("--version", cwd=tmp_path).stdout == f"python -m velm_levels {version}\n"
    script = Path(sys.executable).with_name("velm-play")
    assert subprocess.run([script, "--version"], capture_output=True, text=True,
                          check=True).stdout == f"velm-play {version}\n"
    for command in ("play", "check", "record", "verify"):
        result = run_player(command, "--help", cwd=tmp_path)
        assert result.returncode == 0 and "exit status:" in result.stdout
    assert "3    the level stalled" in run_player("play", "--help", cwd=tmp_path).stdout
    assert run_player("--no-such-option", cwd=tmp_path).returncode == 2
