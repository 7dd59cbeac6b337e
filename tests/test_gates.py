"""The gates and the Chronomancer: when a gate opens, what rule The Judge keeps,
and how a Chronomancer holds its zone and the zones around it."""
import json

import pytest

import velm_engine as velm
from velm_engine import NEGATIVE, NEUTRAL, POSITIVE, Environment, NarrativeSequencer

from helpers import events, frame, play, zone


def opened(environment):
    """True when the first frame of a level of `environment` opens its gate "g"."""
    return frame(NarrativeSequencer(environment))["meta"]["last_event"]["visual_id"] == "g"


@pytest.mark.parametrize("polarity", [NEUTRAL, velm.ChargePolarity(7)])
@pytest.mark.parametrize("target, magnitude, opens", [
    (-2, 2, True), (2, 2, False), (-1e-6, 1e-6, True)])
def test_equals_gate_counts_neutral_as_negative(polarity, target, magnitude, opens):
    environment = zone("z", [(magnitude, polarity, "c")])
    environment.add_equals_gate("g", target)
    assert opened(environment) is opens


@pytest.mark.parametrize("target, magnitude, opens", [
    (0, 9e-7, True), (0, 1e-6, False), (5, 5 + 9e-7, True), (5, float("nan"), False)])
def test_equals_gate_tolerance_boundary(target, magnitude, opens):
    environment = zone("z", [(magnitude, POSITIVE, "c")])
    environment.add_equals_gate("g", target)
    report = frame(NarrativeSequencer(environment))
    assert (report["meta"]["last_event"]["visual_id"] == "g") is opens
    assert report["charges"][0]["visual_id"] == "c"


@pytest.mark.parametrize("rule, target, opens", [
    ("<", 10, True), ("<", 7, False), (">", 7, False), (">", 6, True),
    ("<=", 7, True), ("<=", 6.5, False), (">=", 7, True), (">=", 7.5, False),
    ("==", 7, False), ("==", 8, True),  # unknown texts compare with "<"
])
def test_inequality_gate_rules(rule, target, opens):
    environment = zone("z", [(3, POSITIVE, "a"), (4, POSITIVE, "b")])
    environment.add_inequality_gate("g", target, rule)
    assert opened(environment) is opens


@pytest.mark.parametrize("text, rule", [
    (">", ">"), ("<", "<"), ("<=", "<="), (">=", ">="),
    ("==", "<"), ("", "<"), (" >", "<"), ("GT", "<"),
])
def test_inequality_gate_shows_the_rule_it_keeps(text, rule):
    environment = Environment("z")
    environment.add_inequality_gate("g", 0, text)
    assert json.loads(environment.to_json())["agents"][0]["rule"] == rule


def test_gates_never_open_on_an_empty_zone():
    environment = Environment("z")
    environment.add_equals_gate("eq", 0)
    environment.add_inequality_gate("ineq", 1, "<")
    reports = play(NarrativeSequencer(environment))
    assert events(reports) == ["N/A"]
    assert len(reports[0]["agents"]) == 2


def test_chronomancer_holds_its_zone_and_the_parent_forever():
    inner = zone("inner", [(1, POSITIVE, "a")])
    inner.add_chronomancer("chrono")
    outer = zone("outer", [(1, NEGATIVE, "b")], [inner])
    outer.add_abs_magician("abs")
    reports = play(NarrativeSequencer(outer))
    assert events(reports) == ["N/A"]
    last = reports[-1]
    assert [a["visual_id"] for a in last["agents"]] == ["abs"]
    assert last["sub_environments"][0]["agents"][0]["state"] == "dormant"
