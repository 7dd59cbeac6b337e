"""The typed reports: host code type-checks under mypy --strict, and mistakes in it do not.

One mypy run checks a small host program, the typed example on docs/hosts.md and
copies of the host program with one mistake each; every mistake must be reported
on its own line, and nothing else may be.
"""
import re
import subprocess
import sys
import textwrap
from pathlib import Path
from typing import get_args, get_type_hints

import pytest

import velm_engine as ve

from golden_playthroughs import golden
from velm_levels import parse_report, parse_zone_state
from velm_levels.agent_kinds import AGENT_KINDS
from velm_levels.report import EqualsGateState, InequalityGateState, MagicianTitle

HOST = textwrap.dedent('''\
    import velm_engine as velm
    from velm_levels import make, parse_report
    from velm_levels.report import AgentState, FrameReport, ZoneState


    def describe(agent: AgentState) -> str:
        if agent["name"] == "The Judge":
            return f"{agent['visual_id']}: sum {agent['rule']} {agent['target_value']}"
        if agent["name"] == "Equals Gate":
            return f"{agent['visual_id']}: sum = {agent['target_value']}"
        return f"{agent['visual_id']}: {agent['name']} ({agent['priority']})"


    def zones(top: ZoneState) -> list[str]:
        found, pending = [], [top]
        while pending:
            zone = pending.pop()
            found.append(zone["id"])
            pending.extend(zone["sub_environments"])
        return found


    def play(name: str) -> FrameReport:
        sequencer = velm.NarrativeSequencer(make(name).zone)
        sequencer.current_frame = 0
        report = parse_report(sequencer.next_frame())
        while report["meta"]["status"] == "RUNNING":
            event = report["meta"]["last_event"]
            happened = event["description"] if event is not None else "nothing"
            print(report["meta"]["frame_index"], happened)
            print([describe(agent) for agent in report["agents"]], zones(report))
            report = parse_report(sequencer.next_frame())
        return report


    magnitude = play("nested_citadel")["charges"][0]["magnitude"]
    print(magnitude + 1 if magnitude is not None else "nonfinite")
''')

# Each mistake: the line of HOST it replaces, the wrong line, and what mypy says.
MISTAKES = {
    "misspelt_key": ('print(report["meta"]["frame_index"], happened)',
                     'print(report["meta"]["frame_idx"], happened)',
                     '"FrameMeta" has no key "frame_idx"'),
    "unknown_status": ('while report["meta"]["status"] == "RUNNING":',
                       'while report["meta"]["status"] == "PLAYING":',
                       "Non-overlapping equality check"),
    "gate_key_on_any_agent": ('return f"{agent[\'visual_id\']}: {agent[\'name\']} '
                              '({agent[\'priority\']})"',
                              'return f"{agent[\'visual_id\']}: {agent[\'target_value\']}"',
                              '"MagicianState" has no key "target_value"'),
    "event_may_be_none": ('happened = event["description"] if event is not None else "nothing"',
                          'happened = event["description"]',
                          'Value of type "Event | None" is not indexable'),
    "magnitude_may_be_null": ('print(magnitude + 1 if magnitude is not None else "nonfinite")',
                              "print(magnitude + 1)",
                              'Unsupported operand types for + ("None" and "int")'),
    "frame_counter_takes_int": ("sequencer.current_frame = 0", "sequencer.current_frame = 2.5",
                                'Incompatible types in assignment (expression has type "float"'),
}


def hosts_page_example():
    page = (Path(__file__).parents[1] / "docs" / "hosts.md").read_text()
    (example,) = re.findall(r"```python\n(.*?)```", page, re.DOTALL)
    return example


@pytest.fixture(scope="module")
def mypy_errors(tmp_path_factory):
    """mypy --strict's errors, as (file stem, line, message), over the host
    program, the page's example and every mistaken copy of the program."""
    folder = tmp_path_factory.mktemp("hosts")
    (folder / "host.py").write_text(HOST)
    (folder / "page_example.py").write_text(hosts_page_example())
    for name, (right, wrong, _) in MISTAKES.items():
        assert HOST.count(right) == 1, name
        (folder / f"{name}.py").write_text(HOST.replace(right, wrong))
    result = subprocess.run(
        [sys.executable, "-m", "mypy", "--strict", "--no-error-summary",
         "--cache-dir", str(folder / "cache"), *sorted(p.name for p in folder.glob("*.py"))],
        capture_output=True, text=True, cwd=folder, timeout=600)
    errors = re.findall(r"^(\w+)\.py:(\d+): error: (.*)$", result.stdout, re.MULTILINE)
    assert result.returncode in (0, 1), result.stdout + result.stderr
    return [(stem, int(line), message) for stem, line, message in errors]


def test_host_program_and_page_example_type_check_strictly(mypy_errors):
    assert [error for error in mypy_errors if error[0] in ("host", "page_example")] == []


@pytest.mark.parametrize("name", sorted(MISTAKES))
def test_each_mistake_is_reported_on_its_line(mypy_errors, name):
    right, _, expected = MISTAKES[name]
    line = HOST[:HOST.index(right)].count("\n") + 1
    reported = [(number, message) for stem, number, message in mypy_errors if stem == name]
    assert [number for number, _ in reported] == [line]
    assert expected in reported[0][1]


def test_parsed_reports_are_the_engine_text_parsed():
    text = golden("worked_example").decode().splitlines()[0]
    report = parse_report(text)
    assert report["meta"]["frame_index"] == 1
    zone = ve.Environment("Z")
    assert parse_zone_state(zone.to_json())["id"] == "Z"
    assert parse_zone_state(text)["id"] == "Top"


@pytest.mark.parametrize("text, error, message", [
    ('{"agents": [], "charges": [], "id": "Z", "is_time_frozen": false, "sub_environments": []}',
     ValueError, 'expected a frame report; found a zone state without a "meta" object'),
    ("[]", ValueError, "expected a frame report, a JSON object; found an array"),
    ('{"meta": {}}', ValueError, 'expected a frame report; found an object without "agents", '
                                 '"charges", "id", "is_time_frozen", "sub_environments"'),
    ("{", ValueError, "Expecting property name"),
    (b"{}", TypeError, "expected the JSON text of a frame report as a str, found bytes"),
])
def test_text_that_is_no_report_is_refused(text, error, message):
    with pytest.raises(error, match=re.escape(message)):
        parse_report(text)


def test_the_agent_types_name_every_kind_by_its_title():
    # A kind missing here would make a type checker flag every report holding one.
    plain = {kind.title for kind in AGENT_KINDS.values() if not kind.extra_parameters}
    assert set(get_args(MagicianTitle)) == plain
    gates = {state: get_args(get_type_hints(state)["name"]) for state in (EqualsGateState,
                                                                          InequalityGateState)}
    assert gates == {EqualsGateState: (AGENT_KINDS["equals_gate"].title,),
                     InequalityGateState: (AGENT_KINDS["inequality_gate"].title,)}
