"""Narration: frame reports told as text, whatever the engine puts in them."""
import json
import math

import pytest

import velm_engine as ve

from velm_levels import narrate_ending, narrate_frame, play, signed_expression
from velm_levels.agent_kinds import AGENT_KINDS


def charge(magnitude, polarity):
    return {"magnitude": magnitude, "polarity": polarity, "visual_id": "c"}


@pytest.mark.parametrize("charges, expression", [
    ([], "(no charges)"),
    ([charge(3.0, "positive"), charge(2.0, "negative"), charge(12.0, "positive")], "+3 - 2 + 12"),
    ([charge(2.0, "negative"), charge(0.5, "positive")], "-2 + 0.5"),
    ([charge(4.0, "neutral"), charge(1.0, "neutral")], "±4 ± 1"),
    ([charge(None, "positive"), charge(None, "negative")], "+nonfinite - nonfinite"),
    ([charge(-3.0, "positive"), charge(-0.25, "negative")], "+(-3) - (-0.25)"),
    ([charge(1e-10, "positive"), charge(7.257415615307994e306, "positive")],
     "+1e-10 + 7.257415615307994e+306"),
    ([charge(1e16, "positive"), charge(123456789.0, "positive")], "+1e+16 + 123456789"),
])
def test_signed_expression(charges, expression):
    assert signed_expression(charges) == expression


def report_of(zone):
    return json.loads(ve.NarrativeSequencer(zone).next_frame())


def test_first_frame_of_a_nested_level_is_told_zone_by_zone():
    top = ve.Environment("Top")
    top.add_charge(2, ve.POSITIVE, "two")
    top.add_plus_magician("p1")
    inner = ve.Environment("Inner")
    inner.add_charge(3, ve.POSITIVE, "three")
    inner.add_charge(4, ve.NEGATIVE, "four")
    inner.add_multiply_magician("m1")
    inner.add_sub_environment(ve.Environment(""))
    top.add_sub_environment(inner)
    top.add_sub_environment(ve.Environment("Side"))
    assert narrate_frame(report_of(top)) == [
        "Frame 1 | CAST_SPELL | Multiply Magician executed operation in Inner [m1]",
        "  Top: +2  [frozen, 1 agent]",
        "    Inner: -12",
        "      '': (no charges)",
        "    Side: (no charges)",
    ]


def test_endings_are_told_with_status_and_message():
    zone = ve.Environment("Z")
    sequencer = ve.NarrativeSequencer(zone)
    completing = json.loads(sequencer.next_frame())
    assert narrate_frame(completing)[0] == "Frame 1 | FINISHED | Equation Resolved."
    sequencer.current_frame = 1000
    limit = json.loads(sequencer.next_frame())
    assert narrate_frame(limit)[0] == (
        "Frame 1000 | ERROR | Max frame limit reached. Infinite loop detected.")
    assert narrate_ending(limit) == (
        "Level ended at frame 1000 with ERROR: Max frame limit reached. Infinite loop detected.")


@pytest.mark.parametrize("zone_id, shown", [
    ("Zoë ✦", "Zoë ✦"),
    ("two words", "two words"),
    ("line\nbreak", "'line\\nbreak'"),
    (" padded ", "' padded '"),
    ("", "''"),
])
def test_zone_ids_that_would_not_print_cleanly_are_quoted(zone_id, shown):
    zone = ve.Environment(zone_id)
    zone.add_charge(math.nan, ve.POSITIVE, "\t")
    assert narrate_frame(report_of(zone))[1] == f"  {shown}: +nonfinite"


def test_deepest_tree_the_engine_reports_is_told_without_recursion():
    top = ve.Environment("z")
    deepest = top
    for _ in range(1999):
        inner = ve.Environment("z")
        deepest.add_sub_environment(inner)
        deepest = inner
    deepest.add_abs_magician("a")
    lines = narrate_frame(report_of(top))
    assert len(lines) == 2001
    assert lines[-1] == "  " * 2000 + "z: (no charges)  [1 agent]"


def test_every_agent_kind_odd_values_and_polarities_narrate_through_a_whole_level():
    zone = ve.Environment("Chaos")
    for magnitude, polarity in ((math.inf, ve.POSITIVE), (-0.0, ve.NEGATIVE),
                                (5, ve.ChargePolarity(9)), (171, ve.NEUTRAL), (-8, ve.POSITIVE)):
        zone.add_charge(magnitude, polarity, "q")
    for kind in AGENT_KINDS.values():
        if not kind.extra_parameters:
            kind.add_to(zone, "x")
    zone.add_equals_gate("g", math.nan)
    zone.add_inequality_gate("j", 0, "<")
    for text in play(zone):
        for line in narrate_frame(json.loads(text)):
            assert line.startswith(("Frame ", "  Chaos: "))
