"""The examples in docs/ are what the engine and the loader really produce."""
import json
import re
from pathlib import Path

import velm_engine as ve

from golden_playthroughs import golden, play_stream
from velm_levels import bundled_levels, load_level

DOCS = Path(__file__).parents[1] / "docs"


def json_blocks(page):
    return re.findall(r"```json\n(.*?)```", (DOCS / page).read_text(), re.DOTALL)


def test_state_examples_match_the_engine():
    state, charge = json_blocks("state-format.md")
    built = load_level(bundled_levels()["equals_gate"]).zone
    assert json.loads(state) == json.loads(built.to_json())
    assert charge.strip() == ve.Charge(5, ve.NEGATIVE, "q1").to_json()


def test_report_examples_match_recorded_reports():
    first_frame, limit_meta = map(json.loads, json_blocks("frame-report.md"))
    assert first_frame == json.loads(golden("worked_example").splitlines()[0])
    assert limit_meta == json.loads(golden("frame_limit").splitlines()[-1])["meta"]


def test_level_file_example_plays_like_the_default_level(tmp_path):
    (example,) = json_blocks("level-files.md")
    level_file = tmp_path / "example.json"
    level_file.write_text(example)
    assert play_stream(level_file) == golden("worked_example")


def test_package_description_example_prints_what_it_shows(capsys):
    page = (DOCS / "package.md").read_text()
    (program,) = re.findall(r"```python\n(.*?)```", page, re.DOTALL)
    (shown,) = re.findall(r"```text\n(.*?)```", page, re.DOTALL)
    exec(program, {})
    assert capsys.readouterr().out == shown


def test_package_description_has_no_relative_links():
    # It is shown on the package index, where links into the repository lead nowhere.
    links = re.findall(r"\]\(([^)]*)\)", (DOCS / "package.md").read_text())
    assert all(re.match(r"https?://", link) for link in links)
