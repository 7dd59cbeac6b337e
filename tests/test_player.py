"""The command line player, run as a host runs it: `python -m velm_levels`."""
import subprocess
import sys

import pytest

from golden_playthroughs import read_golden


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
    ]
    assert (tmp_path / "frames.jsonl").read_bytes() == read_golden("worked_example")


def test_level_that_meets_the_frame_limit_exits_with_status_one(tmp_path):
    result = run_player("frame_limit", cwd=tmp_path)
    assert result.returncode == 1, result.stderr
    assert result.stdout.splitlines()[-1] == (
        "Level ended at frame 1000 with ERROR: Max frame limit reached. Infinite loop detected.")


@pytest.mark.parametrize("level_text, message", [
    (None, "missing.json: expected a readable level file (No such file or directory)"),
    ('{"zone": {"id": "z", "agents": [{"kind": "wizard", "visual_id": "w"}]}}',
     'level.json: $.zone.agents[0].kind: expected one of "plus_magician", '),
    ('{"zone": {"id": "z",}}',
     "level.json: line 1, column 20: expected JSON text: Illegal trailing comma before end of object"),
])
def test_unplayable_level_exits_with_status_two_and_one_line_on_stderr(tmp_path, level_text, message):
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
    (tmp_path / "frame_limit").write_text('{"title": "Mine", "zone": {"id": "z"}}')
    result = run_player("frame_limit", cwd=tmp_path)
    assert result.returncode == 0
    assert result.stdout.startswith("Level: Mine (frame_limit)")
