"""The level-file JSON Schema shipped in the package agrees with the loader."""
import json
from importlib.resources import files

import jsonschema
import pytest

from velm_levels import LevelError, bundled_levels, level_from_dict, level_from_text

SCHEMAS = files("velm_levels") / "schemas"
SCHEMA = json.loads((SCHEMAS / "level.schema.json").read_text())
VALIDATOR = jsonschema.Draft202012Validator(SCHEMA)


@pytest.mark.parametrize("name", ["level.schema.json", "frame-report.schema.json"])
def test_shipped_schema_is_valid_and_has_an_id(name):
    schema = json.loads((SCHEMAS / name).read_text())
    jsonschema.Draft202012Validator.check_schema(schema)
    assert schema["$id"].startswith("urn:velm-engine:schema:")


@pytest.mark.parametrize("name", sorted(bundled_levels()))
def test_every_bundled_level_matches_the_schema(name):
    VALIDATOR.validate(json.loads(bundled_levels()[name].read_text()))


def charge(magnitude=1, polarity="positive"):
    return {"magnitude": magnitude, "polarity": polarity, "visual_id": "c"}


def level(*agents, **zone):
    return {"zone": {"id": "Top", "agents": list(agents), **zone}}


# Documents on which the schema and the loader must agree, both ways.
AGREED = [
    pytest.param(level(), True, id="smallest"),
    pytest.param({"$schema": "level.schema.json", **level()}, True, id="$schema key"),
    pytest.param({"title": "t", "notes": "n", **level(charges=[charge(2.5, "neutral")])}, True,
                 id="title, notes, a charge"),
    pytest.param({"shared_zones": {"s": {"id": "S"}},
                  **level(sub_environments=[{"shared": "s"}, {"id": "Inner"}])}, True,
                 id="shared and plain inner zones"),
    pytest.param(level({"kind": "equals_gate", "visual_id": "g", "target": 3},
                       {"kind": "inequality_gate", "visual_id": "j", "target": -1,
                        "comparison_type": ">="},
                       {"kind": "chronomancer", "visual_id": "k", "repeat": 9_000}), True,
                 id="gates and a repeat"),
    pytest.param({"zone": {"charges": []}}, False, id="zone without id"),
    pytest.param({**level(), "colour": "red"}, False, id="unknown top-level key"),
    pytest.param({"$schema": 3, **level()}, False, id="$schema not a string"),
    pytest.param(level(charges=[charge(polarity="posative")]), False, id="unknown polarity"),
    pytest.param(level(charges=[{"magnitude": 1, "polarity": "positive"}]), False,
                 id="charge without visual_id"),
    pytest.param(level(charges=[charge("3")]), False, id="magnitude as text"),
    pytest.param(level({"kind": "wizard", "visual_id": "w"}), False, id="unknown kind"),
    pytest.param(level({"kind": "equals_gate", "visual_id": "g"}), False, id="gate without target"),
    pytest.param(level({"kind": "plus_magician", "visual_id": "p", "target": 1}), False,
                 id="target on a magician"),
    pytest.param(level({"kind": "inequality_gate", "visual_id": "j", "target": 1,
                        "comparison_type": "=="}), False, id="unknown comparison"),
    pytest.param(level({"kind": "plus_magician", "visual_id": "p", "repeat": 0}), False,
                 id="repeat 0"),
    pytest.param(level({"kind": "plus_magician", "visual_id": "p", "repeat": 10_001}), False,
                 id="repeat too large"),
    pytest.param(level(sub_environments=[{"shared": "s", "id": "x"}]), False,
                 id="shared place with more keys"),
    pytest.param(level(sub_environments=["Inner"]), False, id="inner zone as text"),
]


@pytest.mark.parametrize("document, valid", AGREED)
def test_schema_and_loader_agree(document, valid):
    assert VALIDATOR.is_valid(document) == valid
    if valid:
        level_from_dict(document)
    else:
        with pytest.raises(LevelError):
            level_from_dict(document)


@pytest.mark.parametrize("expect", [{}, {"outcome": "solved", "value": 14, "frames": 4},
                                    {"outcome": "stalled"}, {"outcome": "frame limit"}])
def test_schema_allows_an_expectation_of_the_outcome(expect):
    assert VALIDATOR.is_valid({**level(), "expect": expect})


@pytest.mark.parametrize("expect", [{"outcome": "won"}, {"frames": "4"}, {"value": None},
                                    {"outcome": "solved", "colour": "red"}])
def test_schema_refuses_a_malformed_expectation(expect):
    assert not VALIDATOR.is_valid({**level(), "expect": expect})


def test_loader_takes_the_schema_key_and_ignores_it():
    text = json.dumps({"$schema": "./level.schema.json", **level(charges=[charge()])})
    assert level_from_text(text).zone.to_json() == level_from_text(
        json.dumps(level(charges=[charge()]))).zone.to_json()
