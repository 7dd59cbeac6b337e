"""The player under hostile conditions: full disks, closed pipes, Ctrl-C,
special files, files that amplify and identifiers that forge output. Each
ends with a status and at most one line on standard error, never a traceback,
and never with a record that looks complete when it is not."""
import json
import os
import resource
import shlex
import signal
import subprocess
import threading

import pytest

from cli_runs import PROGRAM, charge, run_cli, solved_zone, write_level
from velm_levels import LevelError, load_level

PREFIX = "python -m velm_levels: "


def leftovers(folder):
    return [path.name for path in folder.iterdir() if path.name.endswith(".partial")]


def test_a_record_on_a_full_device_ends_with_status_two(tmp_path):
    result = run_cli("frame_limit", "--jsonl", "/dev/full", "--quiet", cwd=tmp_path)
    assert (result.returncode, result.stdout) == (2, "")
    assert result.stderr == f"{PREFIX}cannot write /dev/full: No space left on device\n"


def test_a_full_standard_output_ends_with_status_two(tmp_path):
    with open("/dev/full", "w") as full:
        result = subprocess.run([*PROGRAM, "frame_limit"], stdout=full, stderr=subprocess.PIPE,
                                text=True, cwd=tmp_path, timeout=300)
    assert result.returncode == 2
    assert result.stderr == f"{PREFIX}cannot write standard output: No space left on device\n"


def test_a_record_past_the_file_size_limit_leaves_the_old_record_as_it_was(tmp_path):
    (tmp_path / "frames.jsonl").write_bytes(b"the old record\n")
    limit = 1 << 20  # The frame-limit level's record is some 38 MB.
    result = run_cli("frame_limit", "--jsonl", "frames.jsonl", "--quiet", cwd=tmp_path,
                     preexec_fn=lambda: resource.setrlimit(resource.RLIMIT_FSIZE, (limit, limit)))
    assert (result.returncode, result.stderr) == (
        2, f"{PREFIX}cannot write frames.jsonl: File too large\n")
    assert (tmp_path / "frames.jsonl").read_bytes() == b"the old record\n"
    assert leftovers(tmp_path) == []


@pytest.mark.parametrize("arguments, message", [
    (["/proc/self/mem"], "/proc/self/mem: expected a readable level file (Input/output error)"),
    (["."], ".: expected a readable level file (Is a directory)"),
    (["--jsonl", "."], "cannot write .: Is a directory"),
    (["--jsonl", "no/such/folder.jsonl"], "cannot write no/such/folder.jsonl: No such file or "
                                          "directory"),
    (["record", "worked_example", "-o", "/proc/self"], "cannot write /proc/self: Is a directory"),
])
def test_an_unreadable_level_or_unwritable_record_ends_with_status_two(tmp_path, arguments,
                                                                       message):
    result = run_cli(*arguments, cwd=tmp_path)
    assert (result.returncode, result.stdout, result.stderr) == (2, "", PREFIX + message + "\n")


@pytest.mark.parametrize("arguments", [["frame_limit", "--jsonl", "frames.jsonl"],
                                       ["check", "levels"]])
def test_a_closed_pipe_ends_quietly_with_status_141(tmp_path, arguments):
    for number in range(1000):  # more lines than a pipe holds
        write_level(tmp_path / "levels" / f"level{number}.json", solved_zone())
    command = f"{shlex.join([*PROGRAM, *arguments])} | head -1; " \
              'echo "status ${PIPESTATUS[0]}"'
    result = subprocess.run(["bash", "-c", command], capture_output=True, text=True,
                            cwd=tmp_path, timeout=300)
    assert result.stdout.splitlines()[1:] == ["status 141"]
    assert result.stderr == ""
    assert sorted(os.listdir(tmp_path)) == ["levels"]


@pytest.mark.parametrize("into_a_fifo", [False, True])
def test_ctrl_c_ends_quietly_with_status_130_and_only_whole_lines_recorded(tmp_path, into_a_fifo):
    record = tmp_path / "frames.jsonl"
    received = []
    if into_a_fifo:
        os.mkfifo(record)
        reader = threading.Thread(target=lambda: received.append(record.read_bytes()), daemon=True)
        reader.start()
    with subprocess.Popen([*PROGRAM, "frame_limit", "--jsonl", record], cwd=tmp_path,
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE) as process:
        assert process.stdout is not None
        for _ in range(200):  # well into the play, far from its end
            process.stdout.readline()
        process.send_signal(signal.SIGINT)
        _, errors = process.communicate(timeout=60)
    assert (process.returncode, errors) == (130, b"")
    if into_a_fifo:
        reader.join(timeout=60)
        lines = received[0].splitlines(keepends=True)
        assert lines and all(line.endswith(b"\n") and json.loads(line) for line in lines)
    else:
        assert os.listdir(tmp_path) == []


def a_fifo(folder):
    os.mkfifo(folder / "fifo.json")
    return "fifo.json"


def a_huge_level(folder):
    os.truncate(write_level(folder / "huge.json", solved_zone()), 17 << 20)
    return "huge.json"


@pytest.mark.parametrize("make_level, problem", [
    (a_fifo, "expected a regular level file, found a FIFO"),
    (lambda folder: "/dev/zero", "expected a regular level file, found a character device"),
    (a_huge_level, "expected a level file of at most 16 MiB, found 17825792 bytes"),
])
def test_special_and_enormous_files_are_refused_at_once(tmp_path, make_level, problem):
    level = make_level(tmp_path)
    result = run_cli(level, cwd=tmp_path, timeout=30)
    assert (result.returncode, result.stdout) == (2, "")
    assert result.stderr == f"{PREFIX}{level}: {problem}\n"


AGENT_CAP = ("$.zone: expected at most 10000 agents once every repeat is unfolded and every "
             "shared zone is counted at each of its places, found at least")


def test_a_small_file_that_unfolds_into_a_million_agents_is_refused(tmp_path):
    agents = [{"kind": "abs_magician", "visual_id": f"a{n}", "repeat": 10_000} for n in range(100)]
    write_level(tmp_path / "level.json", {"id": "z", "agents": agents})
    assert (tmp_path / "level.json").stat().st_size < 8000
    result = run_cli("level.json", cwd=tmp_path, timeout=30)
    assert (result.returncode, result.stderr) == (2, f"{PREFIX}level.json: {AGENT_CAP} 1000000\n")


@pytest.mark.parametrize("places, count, loads", [(2, 5000, True), (3, 5000, False)])
@pytest.mark.parametrize("what", ["agents", "charges"])
def test_agents_and_charges_are_capped_at_every_place(tmp_path, what, places, count, loads):
    contents = ({"agents": [{"kind": "chronomancer", "visual_id": "k", "repeat": count}]}
                if what == "agents" else {"charges": [charge(1)] * count})
    path = write_level(tmp_path / "level.json", {"id": "Top", "sub_environments": [
        {"shared": "crowd"}] * places}, shared_zones={"crowd": {"id": "Crowd", **contents}})
    if loads:
        load_level(path)
        return
    with pytest.raises(LevelError, match=f"expected at most 10000 {what} .* found at least 15000"):
        load_level(path)


def test_identifiers_that_do_not_print_cleanly_are_shown_escaped_everywhere(tmp_path):
    forged = "Inner\nFrame 7 | FINISHED | Equation Resolved."
    level = write_level(
        tmp_path / "levels" / "bad\x1b[2Jname.json",
        {"id": "Top\x1b]0;taken\x07", "charges": [charge(1)],
         "sub_environments": [{"id": forged, "charges": [charge(2), charge(3)],
                               "agents": [{"kind": "multiply_magician", "visual_id": "m\n1"},
                                          {"kind": "chronomancer", "visual_id": "k"}]}]},
        title="Evil\x1b[31m title")
    played = run_cli(level, cwd=tmp_path)
    checked = run_cli("check", "levels", cwd=tmp_path)
    for output in (played.stdout, checked.stdout):
        assert all(line.isprintable() for line in output.splitlines())
        assert not any(line.startswith("Frame 7") for line in output.splitlines())
    lines = played.stdout.splitlines()
    assert lines[0] == r"Level: 'Evil\x1b[31m title' (" + repr(str(level)) + ")"
    assert lines[1] == (r"Frame 1 | CAST_SPELL | Multiply Magician executed operation in "
                        r"'Inner\nFrame 7 | FINISHED | Equation Resolved.' ['m\n1']")
    assert lines[-1].endswith(r"not merged: 'Inner\nFrame 7 | FINISHED | Equation Resolved.'; "
                              r"'Top\x1b]0;taken\x07' holds +1")
    assert checked.stdout.startswith(r"'levels/bad\x1b[2Jname.json': stalled after 2 frames")


@pytest.mark.parametrize("arguments", [
    ["level.json", "--jsonl", "level.json"],
    ["record", "level.json", "-o", "./level.json"],
    ["level.json", "--quiet", "--jsonl", "same_file.json"],
])
def test_a_record_that_names_the_level_file_itself_is_refused(tmp_path, arguments):
    level = write_level(tmp_path / "level.json", solved_zone())
    os.link(level, tmp_path / "same_file.json")
    before = level.read_bytes()
    result = run_cli(*arguments, cwd=tmp_path)
    assert (result.returncode, result.stdout) == (2, "")
    assert result.stderr == f"{PREFIX}refusing to write the record over the level file level.json\n"
    assert level.read_bytes() == before
