"""The frame report's JSON Schema, shipped in the package, holds for what the engine reports."""
import copy
import json
import math
from importlib.resources import files

import jsonschema
import pytest

import velm_engine as ve

from golden_playthroughs import golden
from velm_levels import bundled_levels

SCHEMA = json.loads((files("velm_levels") / "schemas" / "frame-report.schema.json").read_text())
VALIDATOR = jsonschema.Draft202012Validator(SCHEMA)
# Validating is slow for a thousand agents; long streams are sampled at both ends.
WHOLE_STREAM_UP_TO = 50


def test_schema_is_a_valid_draft_2020_12_schema():
    jsonschema.Draft202012Validator.check_schema(SCHEMA)


def sampled_reports(name):
    reports = golden(name).splitlines()
    if len(reports) > WHOLE_STREAM_UP_TO:
        reports = [reports[0], *reports[-2:]]
    return [json.loads(report) for report in reports]


@pytest.mark.parametrize("name", sorted(bundled_levels()))
def test_recorded_reports_of_every_bundled_level_match_the_schema(name):
    for report in sampled_reports(name):
        VALIDATOR.validate(report)


def test_reports_with_odd_values_and_every_ending_match_the_schema():
    zone = ve.Environment("Zoë")
    for magnitude, polarity in ((math.nan, ve.ChargePolarity(5)), (math.inf, ve.NEUTRAL),
                                (-2, ve.NEGATIVE)):
        zone.add_charge(magnitude, polarity, "")
    zone.add_equals_gate("g", math.nan)
    zone.add_inequality_gate("j", -math.inf, "bogus")
    zone.add_chronomancer("c")
    zone.add_sub_environment(ve.Environment("empty"))
    sequencer = ve.NarrativeSequencer(zone)
    reports = [sequencer.next_frame() for _ in range(2)]
    sequencer.current_frame = 1000
    reports.append(sequencer.next_frame())
    statuses = []
    for text in reports:
        report = json.loads(text)
        VALIDATOR.validate(report)
        statuses.append((report["meta"]["status"], report["meta"]["message"]))
    assert statuses == [("FINISHED", "Equation Resolved."),
                        ("FINISHED", "Simulation complete. No further actions."),
                        ("ERROR", "Max frame limit reached. Infinite loop detected.")]


DELETE = object()


def broken_at(path, value):
    """A pytest case that sets (or, with DELETE, removes) the item at `path`."""
    def mutate(report):
        *parents, last = path
        for key in parents:
            report = report[key]
        if value is DELETE:
            del report[last]
        else:
            report[last] = value
    return pytest.param(mutate, id="/".join(map(str, path)) + ("=deleted" if value is DELETE
                                                                else f"={value!r}"))


@pytest.mark.parametrize("mutate", [
    broken_at(["meta"], DELETE),
    broken_at(["colour"], "red"),
    broken_at(["sub_environments", 0, "is_time_frozen"], DELETE),
    broken_at(["charges", 0, "magnitude"], "2.0"),
    broken_at(["charges", 0, "polarity"], "POSITIVE"),
    broken_at(["agents", 0, "priority"], 11),
    broken_at(["agents", 0, "name"], "Plus Wizard"),
    broken_at(["agents", 0, "state"], "asleep"),
    broken_at(["sub_environments", 0, "agents"], [{"name": "Equals Gate", "priority": 0,
                                                   "state": "dormant", "visual_id": "g"}]),
    broken_at(["meta", "last_event"], None),
    broken_at(["meta", "status"], "ERROR"),
    broken_at(["meta", "last_event", "type"], "FINISHED"),
    broken_at(["meta", "frame_index"], 1.5),
])
def test_schema_rejects_reports_that_break_the_format(mutate):
    # The first frame of the default level: the top zone holds a Plus Magician and
    # an inner zone whose magician has just acted.
    report = json.loads(golden("worked_example").splitlines()[0])
    VALIDATOR.validate(report)
    broken = copy.deepcopy(report)
    mutate(broken)
    assert not VALIDATOR.is_valid(broken)
