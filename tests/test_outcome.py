"""Outcomes told from final reports, and expectations held against them."""
import json

import pytest

from velm_levels import LevelError, load_level
from velm_levels.expectation import Expectation
from velm_levels.outcome import OutcomeKind, describe, outcome_of, unplayable


def charge(magnitude, polarity="positive"):
    return {"magnitude": magnitude, "polarity": polarity, "visual_id": "c"}


def zone(zone_id, charges=(), agents=0, inner=()):
    return {"id": zone_id, "charges": list(charges), "is_time_frozen": False,
            "agents": [{"name": "Plus Magician"}] * agents, "sub_environments": list(inner)}


def final_report(top, status="FINISHED", frame=4):
    return {**top, "meta": {"frame_index": frame, "status": status, "message": "",
                            "last_event": None}}


@pytest.mark.parametrize("last_charge, value, shown", [
    (charge(14), 14.0, "+14"),
    (charge(3, "negative"), -3.0, "-3"),
    (charge(0.5, "neutral"), 0.5, "±0.5"),
    (charge(-2, "negative"), 2.0, "-(-2)"),
    (charge(None), None, "+nonfinite"),
])
def test_a_top_zone_down_to_one_charge_is_solved_with_its_signed_value(last_charge, value, shown):
    outcome = outcome_of(final_report(zone("Top", [last_charge])))
    assert (outcome.kind, outcome.value, outcome.frames) == (OutcomeKind.SOLVED, value, 4)
    assert describe(outcome) == f"solved in 4 frames: {shown}"


@pytest.mark.parametrize("top, told", [
    (zone("Top", [charge(1), charge(2)]), "Top holds +1 + 2"),
    (zone("Top"), "Top holds (no charges)"),
    (zone("Top", [charge(1)], agents=1, inner=[zone("Vault", [charge(2)], agents=2)]),
     "3 agents left (Top: 1, Vault: 2); not merged: Vault; Top holds +1"),
    (zone("Top", [charge(1)], inner=[zone("Outer", inner=[zone("Deep", agents=1)])]),
     "1 agent left (Deep: 1); not merged: Outer, Deep; Top holds +1"),
    (zone("Top", inner=[zone(f"Z{n}") for n in range(7)]),
     "not merged: Z0, Z1, Z2, Z3, Z4 and 2 more; Top holds (no charges)"),
    (zone("Top\x1b[2J", inner=[zone("Va\nult", agents=1)]),
     r"1 agent left ('Va\nult': 1); not merged: 'Va\nult'; 'Top\x1b[2J' holds (no charges)"),
])
def test_a_completed_level_with_anything_else_left_is_stalled_and_says_what(top, told):
    outcome = outcome_of(final_report(top, frame=1))
    assert outcome.kind is OutcomeKind.STALLED
    assert describe(outcome) == f"stalled after 1 frame: {told}"


def test_frame_limit_and_unplayable_outcomes():
    limit = outcome_of(final_report(zone("Loop", [charge(1)], agents=1), "ERROR", 1000))
    assert describe(limit) == "frame limit after 1000 frames: 1 agent left (Loop: 1); Loop holds +1"
    assert describe(unplayable("$.zone: expected an object")) == (
        "unplayable: $.zone: expected an object")
    with pytest.raises(ValueError, match="still running at frame 4"):
        outcome_of(final_report(zone("Top"), "RUNNING"))


SOLVED_14 = outcome_of(final_report(zone("Top", [charge(14)])))
STALLED = outcome_of(final_report(zone("Top", [charge(1), charge(2)])))


@pytest.mark.parametrize("expectation, outcome, unmet", [
    (Expectation(), SOLVED_14, []),
    (Expectation(value=14 + 1e-12, frames=4), SOLVED_14, []),
    (Expectation(value=14.001), SOLVED_14, ["expected value 14.001, got +14"]),
    (Expectation(value=-14), SOLVED_14, ["expected value -14, got +14"]),
    (Expectation(frames=5), SOLVED_14, ["expected 5 frames, got 4"]),
    (Expectation(OutcomeKind.STALLED), STALLED, []),
    (Expectation(value=3), STALLED,
     ["expected solved, got stalled", "expected value 3, got no value"]),
    (Expectation(value=0), outcome_of(final_report(zone("Top", [charge(1e-12, "neutral")]))), []),
    (Expectation(value=0), outcome_of(final_report(zone("Top", [charge(None)]))),
     ["expected value 0, got +nonfinite"]),
])
def test_expectations_name_each_key_that_the_outcome_misses(expectation, outcome, unmet):
    assert expectation.unmet(outcome) == unmet


@pytest.mark.parametrize("expect, message", [
    ({"outcome": "won"}, '$.expect.outcome: expected one of "solved", "stalled", "frame limit", '
                         'found "won"'),
    ({"outcome": "unplayable"}, '$.expect.outcome: expected one of "solved", "stalled", '),
    ({"frames": 0}, "$.expect.frames: expected a whole number from 1 to 1000, found 0"),
    ({"value": "14"}, '$.expect.value: expected a finite number, found "14"'),
    ({"outcome": "stalled", "value": 3},
     '$.expect.value: expected no value: only a solved level has one, and the outcome here is '
     '"stalled"'),
    ({"score": 3}, '$.expect.score: unexpected key; expected one of "outcome", "value", "frames"'),
])
def test_malformed_expect_object_is_refused_with_its_place(tmp_path, expect, message):
    path = tmp_path / "level.json"
    path.write_text(json.dumps({"zone": {"id": "z"}, "expect": expect}))
    with pytest.raises(LevelError) as caught:
        load_level(path)
    assert str(caught.value).startswith(f"{path}: {message}")
