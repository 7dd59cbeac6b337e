"""docs/agents.md tells what the engine does: every table row and level on the page is played.

The page's example rows start from one zone with the charges of "Charges before"
(ids c1, c2, ...) and the one agent of "Call", run one frame and say what the zone
then holds. Its stories are level files followed by what the player prints.
"""
import ast
import json
import re
from pathlib import Path

import pytest

import velm_engine as ve

from velm_levels import level_from_text, narrate_frame, play, signed_expression
from velm_levels.agent_kinds import AGENT_KINDS

PAGE = (Path(__file__).parents[1] / "docs" / "agents.md").read_text()
EXAMPLE_HEADER = "| Call | Charges before | Charges after | Ids after |"
GLANCE_HEADER = "| Kind | Method | Title | Priority | Works on | Its result's id |"
POLARITIES = {"+": ve.POSITIVE, "-": ve.NEGATIVE, "±": ve.NEUTRAL}


def table_rows(header):
    """The cells of every row of every table on the page that has `header`."""
    rows = []
    for table in PAGE.split(header + "\n")[1:]:
        for line in table.splitlines()[1:]:
            if not line.startswith("|"):
                break
            rows.append([cell.strip() for cell in line.strip("|").split("|")])
    return rows


def code(cell):
    return cell.strip("`")


def parse_charges(expression):
    """(magnitude, polarity) of each term of a sum written as the player writes it."""
    words = expression.split(" ")
    terms = [(words[0][0], words[0][1:])] + list(zip(words[1::2], words[2::2]))
    return [(float(magnitude.strip("()")), POLARITIES[sign]) for sign, magnitude in terms]


def one_frame(call, charges):
    """The zone holding `charges` and the agent that `call` adds, after one frame."""
    zone = ve.Environment("Z")
    for number, (magnitude, polarity) in enumerate(charges, start=1):
        zone.add_charge(magnitude, polarity, f"c{number}")
    method = ast.parse(call, mode="eval").body
    getattr(zone, method.func.id)(*[ast.literal_eval(argument) for argument in method.args])
    before = json.loads(zone.to_json())
    report = json.loads(ve.NarrativeSequencer(zone).next_frame())
    return before, report


EXAMPLES = table_rows(EXAMPLE_HEADER)


@pytest.mark.parametrize("call, charges_before, charges_after, ids_after", EXAMPLES,
                         ids=[f"{code(row[0])} on {code(row[1])}" for row in EXAMPLES])
def test_example_row_is_what_one_frame_does(call, charges_before, charges_after, ids_after):
    before, report = one_frame(code(call), parse_charges(code(charges_before)))
    event = report["meta"]["last_event"]
    if charges_after == "declines":
        assert event["type"] == "FINISHED"
        assert report["agents"] == before["agents"]
        assert report["charges"] == before["charges"]
        return
    assert event["type"] == "CAST_SPELL"
    assert report["agents"] == []
    if charges_after == "opens":
        assert report["charges"] == before["charges"]
        return
    assert signed_expression(report["charges"]) == code(charges_after)
    assert ", ".join(charge["visual_id"] for charge in report["charges"]) == code(ids_after)


def test_every_kind_has_examples_and_a_row_at_a_glance():
    methods = {kind.add_method for kind in AGENT_KINDS.values()}
    examples = {re.findall(r"^`(\w+)\(", row[0])[0] for row in EXAMPLES}
    assert examples == methods
    assert sorted(code(row[0]) for row in table_rows(GLANCE_HEADER)) == sorted(AGENT_KINDS)


@pytest.mark.parametrize("kind, method, title, priority",
                         [row[:4] for row in table_rows(GLANCE_HEADER)])
def test_kind_at_a_glance_matches_the_agent_the_engine_adds(kind, method, title, priority):
    zone = ve.Environment("Z")
    kind_arguments = {"target": 0, "comparison_type": "<"}
    extra = [kind_arguments[name] for name in AGENT_KINDS[code(kind)].extra_parameters]
    getattr(zone, code(method))("v", *extra)
    (agent,) = json.loads(zone.to_json())["agents"]
    assert (agent["name"], agent["priority"]) == (title, int(priority))


STORIES = re.findall(r"```json\n(.*?)```\n\nThe player shows:\n\n```text\n(.*?)```", PAGE,
                     re.DOTALL)


def test_page_has_its_stories():
    assert len(STORIES) == 3


@pytest.mark.parametrize("level_text, shown", STORIES,
                         ids=[f"story {number}" for number in range(1, len(STORIES) + 1)])
def test_story_level_plays_as_the_page_shows(level_text, shown):
    level = level_from_text(level_text)
    lines = [line for text in play(level.zone) for line in narrate_frame(json.loads(text))]
    assert "\n".join(lines) + "\n" == shown
