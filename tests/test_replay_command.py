"""Replay pages from the command line: `--html` on a played level, and
`replay RECORD --html FILE` from a record; refusals leave no page behind."""

import json

import pytest

from golden_playthroughs import golden
from replay_pages import page_data, state_of, steps
from test_player import run_player


def recorded_steps(record_text):
    reports = map(json.loads, record_text.splitlines())
    return [(report["meta"], state_of(report)) for report in reports]


def shown_steps(page_text):
    return [(meta, json.loads(json.dumps(state))) for meta, state in steps(page_data(page_text))]


def test_a_played_level_writes_its_page_beside_its_record_and_tells_the_same(tmp_path):
    plain = run_player("worked_example", cwd=tmp_path)
    result = run_player("worked_example", "--jsonl", "run.jsonl", "--html", "run.html",
                        cwd=tmp_path)
    assert (result.returncode, result.stdout, result.stderr) == (0, plain.stdout, "")
    record = (tmp_path / "run.jsonl").read_text()
    assert record.encode() == golden("worked_example")
    page = (tmp_path / "run.html").read_text()
    data = page_data(page)
    assert (data["title"], data["has_start"]) == ("Worked example: a product inside a sum", True)
    assert shown_steps(page)[1:] == recorded_steps(record)


def test_a_record_gives_a_page_of_its_reports_named_after_the_file(tmp_path):
    (tmp_path / "citadel.jsonl").write_bytes(golden("nested_citadel"))
    result = run_player("replay", "citadel.jsonl", "--html", "citadel.html", cwd=tmp_path)
    assert (result.returncode, result.stdout, result.stderr) == (0, "", "")
    page = (tmp_path / "citadel.html").read_text()
    assert (page_data(page)["title"], page_data(page)["has_start"]) == ("citadel", False)
    assert shown_steps(page) == recorded_steps(golden("nested_citadel").decode())
    run_player("replay", "citadel.jsonl", "--html", "titled.html", "--title", "Mine", cwd=tmp_path)
    assert page_data((tmp_path / "titled.html").read_text())["title"] == "Mine"


FIRST = golden("worked_example").decode().splitlines()[0]


@pytest.mark.parametrize("record, message", [
    (None, "cannot read run.jsonl: No such file or directory"),
    (b"", "run.jsonl: expected at least one frame report, found none"),
    (f"{FIRST}\n\n{FIRST}\n".encode(),
     "run.jsonl: line 2: expected a frame report, found an empty line"),
    (f"{FIRST}\n".encode().replace(b'"Top"', b'"T\xffp"'),
     f"run.jsonl: line 1: column {FIRST.index('\"Top\"') + 3}: expected UTF-8 text"),
    (f"{FIRST}\n{FIRST[:40]}\n".encode(), "run.jsonl: line 2: column 41: expected JSON text: "),
    (f"{FIRST}\n{FIRST.replace('RUNNING', 'WALKING')}\n".encode(),
     "run.jsonl: line 2: $.meta.status: "),
])
def test_a_record_that_cannot_be_shown_is_refused_and_the_old_page_kept(tmp_path, record, message):
    if record is not None:
        (tmp_path / "run.jsonl").write_bytes(record)
    (tmp_path / "run.html").write_text("earlier page")
    result = run_player("replay", "run.jsonl", "--html", "run.html", cwd=tmp_path)
    assert (result.returncode, result.stdout) == (2, "")
    assert result.stderr.startswith(f"python -m velm_levels replay: {message}")
    assert len(result.stderr.splitlines()) == 1
    assert (tmp_path / "run.html").read_text() == "earlier page"
    assert sorted(path.name for path in tmp_path.iterdir()) == sorted(
        ["run.html"] + (["run.jsonl"] if record is not None else []))


def test_a_record_line_may_hold_any_line_separator_but_a_line_feed(tmp_path):
    report = json.loads(FIRST)
    report["sub_environments"][0]["id"] = "In\u2028ner\r\x85"
    (tmp_path / "run.jsonl").write_text(json.dumps(report, ensure_ascii=False) + "\n",
                                        encoding="utf-8")
    result = run_player("replay", "run.jsonl", "--html", "run.html", cwd=tmp_path)
    assert result.returncode == 0, result.stderr
    (_, state), = shown_steps((tmp_path / "run.html").read_text())
    assert state["sub_environments"][0]["id"] == "In\u2028ner\r\x85"


@pytest.mark.parametrize("arguments, message", [
    (("replay", "run.jsonl", "--html", "run.jsonl"),
     " replay: run.jsonl: the page would overwrite the record it is made from"),
    (("replay", "run.jsonl", "--html", "no/such/dir/run.html"),
     " replay: cannot write no/such/dir/run.html: No such file or directory"),
    (("worked_example", "--jsonl", "run.html", "--html", "./run.html"),
     ": refusing to write the replay page over the record run.html"),
    (("worked_example", "--html", "no/such/dir/run.html"),
     ": cannot write no/such/dir/run.html: No such file or directory"),
    (("worked_example", "--html", "."), ": cannot write .: Is a directory"),
])
def test_a_page_that_cannot_be_written_is_refused_before_anything_is_lost(tmp_path, arguments,
                                                                          message):
    (tmp_path / "run.jsonl").write_bytes(golden("worked_example"))
    result = run_player(*arguments, cwd=tmp_path)
    assert (result.returncode, result.stdout) == (2, "")
    assert result.stderr == f"python -m velm_levels{message}\n"
    assert (tmp_path / "run.jsonl").read_bytes() == golden("worked_example")
