"""`record` writes a level's frame reports; `verify` replays a level against them."""
import json
import lzma

import pytest

from cli_runs import run_cli
from golden_playthroughs import golden, golden_file
from velm_levels import bundled_levels


@pytest.mark.parametrize("name", ["frames.jsonl", "frames.jsonl.xz"])
def test_a_record_verifies_against_its_level(tmp_path, name):
    recorded = run_cli("record", "worked_example", "-o", name, cwd=tmp_path)
    assert (recorded.returncode, recorded.stdout) == (
        0, "Outcome: solved in 4 frames: +14; as expected\n")
    raw = (tmp_path / name).read_bytes()
    assert (lzma.decompress(raw) if name.endswith(".xz") else raw) == golden("worked_example")
    verified = run_cli("verify", name, "worked_example", cwd=tmp_path)
    assert verified.returncode == 0, verified.stdout
    assert verified.stdout.startswith(f"{name}: identical to a fresh play of ")


def test_the_compressed_golden_of_the_frame_limit_level_verifies(tmp_path):
    result = run_cli("verify", golden_file("frame_limit"), "frame_limit", cwd=tmp_path)
    assert result.returncode == 0, result.stdout


def test_a_changed_level_shows_its_first_differing_frame(tmp_path):
    level = json.loads(bundled_levels()["worked_example"].read_text())
    level["zone"]["sub_environments"][0]["charges"][1]["magnitude"] = 5
    (tmp_path / "changed.json").write_text(json.dumps(level))
    (tmp_path / "golden.jsonl").write_bytes(golden("worked_example"))
    result = run_cli("verify", "golden.jsonl", "changed.json", cwd=tmp_path)
    assert result.returncode == 1
    lines = result.stdout.splitlines()
    assert lines[:2] == ["golden.jsonl: differs from a fresh play of changed.json",
                         "first difference in frame 1"]
    assert '-     "magnitude": 12.0,' in lines and '+     "magnitude": 15.0,' in lines


@pytest.mark.parametrize("keep, told", [
    (slice(0, 2), "the record has no frame 3"),
    (slice(0, 5), "the play has no frame 5"),
])
def test_a_record_with_frames_missing_or_extra_differs(tmp_path, keep, told):
    lines = golden("worked_example").splitlines(keepends=True)
    (tmp_path / "record.jsonl").write_bytes(b"".join((lines + lines[-1:])[keep]))
    result = run_cli("verify", "record.jsonl", "worked_example", cwd=tmp_path)
    assert result.returncode == 1
    assert told in result.stdout.splitlines()


@pytest.mark.parametrize("record, reason", [
    ("missing.jsonl", "No such file or directory"),
    (".", "Is a directory"),
    ("broken.jsonl.xz", "Input format not supported by decoder"),
])
def test_an_unreadable_record_ends_with_status_two(tmp_path, record, reason):
    (tmp_path / "broken.jsonl.xz").write_bytes(b"not xz")
    result = run_cli("verify", record, "worked_example", cwd=tmp_path)
    assert (result.returncode, result.stdout) == (2, "")
    assert result.stderr == f"python -m velm_levels: cannot read {record}: {reason}\n"


def test_a_record_to_standard_output_goes_through_the_pipe(tmp_path):
    result = run_cli("worked_example", "--quiet", "--jsonl", "/dev/stdout", cwd=tmp_path)
    assert result.returncode == 0
    assert result.stdout.encode() == golden("worked_example")


def test_a_record_through_a_link_replaces_the_file_and_keeps_the_link(tmp_path):
    (tmp_path / "real.jsonl").write_text("old\n")
    (tmp_path / "link.jsonl").symlink_to("real.jsonl")
    assert run_cli("record", "worked_example", "-o", "link.jsonl", cwd=tmp_path).returncode == 0
    assert (tmp_path / "link.jsonl").is_symlink()
    assert (tmp_path / "real.jsonl").read_bytes() == golden("worked_example")
