"""Level files: what a well-formed file builds, and how a malformed one is told."""
import json

import pytest

import velm_engine as ve

from velm_levels import LevelError, level_from_dict, level_from_text, load_level
from velm_levels.agent_kinds import AGENT_KINDS


@pytest.fixture
def level_file(tmp_path):
    """Writes a level document (or raw text or bytes) to a file and returns its path."""
    def write(document):
        path = tmp_path / "level.json"
        if isinstance(document, bytes):
            path.write_bytes(document)
        else:
            text = document if isinstance(document, str) else json.dumps(document)
            path.write_text(text, encoding="utf-8")
        return path
    return write


def load_error(path):
    with pytest.raises(LevelError) as caught:
        load_level(path)
    return str(caught.value)


def charge(magnitude, polarity="positive", visual_id="c"):
    return {"magnitude": magnitude, "polarity": polarity, "visual_id": visual_id}


def zone(zone_id="z", **contents):
    return {"id": zone_id, **contents}


# The kinds that take nothing but a visual id; the level adds the gates by hand.
PLAIN_KINDS = [name for name, kind in AGENT_KINDS.items() if not kind.extra_parameters]

ALL_KINDS_LEVEL = {
    "title": "Every kind",
    "notes": "for the test",
    "shared_zones": {"twice": zone("Shared", charges=[charge(7, "neutral", "s")])},
    "zone": zone(
        "Top",
        charges=[charge(2, "positive", "a"), charge(3.5, "negative", "b")],
        agents=[{"kind": kind, "visual_id": f"v_{kind}"} for kind in PLAIN_KINDS] + [
            {"kind": "equals_gate", "visual_id": "eq", "target": 5},
            {"kind": "inequality_gate", "visual_id": "ne", "target": -1.5, "comparison_type": ">="},
            {"kind": "abs_magician", "visual_id": "again", "repeat": 3},
        ],
        sub_environments=[
            zone("Inner", sub_environments=[{"shared": "twice"}]),
            {"shared": "twice"},
        ],
    ),
}


def build_all_kinds_by_hand():
    top = ve.Environment("Top")
    top.add_charge(2, ve.POSITIVE, "a")
    top.add_charge(3.5, ve.NEGATIVE, "b")
    for kind in PLAIN_KINDS:
        getattr(top, AGENT_KINDS[kind].add_method)(f"v_{kind}")
    top.add_equals_gate("eq", 5)
    top.add_inequality_gate("ne", -1.5, ">=")
    for _ in range(3):
        top.add_abs_magician("again")
    shared = ve.Environment("Shared")
    shared.add_charge(7, ve.NEUTRAL, "s")
    inner = ve.Environment("Inner")
    inner.add_sub_environment(shared)
    top.add_sub_environment(inner)
    top.add_sub_environment(shared)
    return top


def test_level_builds_the_tree_its_file_describes(level_file):
    level = load_level(level_file(ALL_KINDS_LEVEL))
    assert level.title == "Every kind"
    assert level.zone.to_json() == build_all_kinds_by_hand().to_json()


def test_shared_zone_is_one_object_at_both_places(level_file):
    # Adding a charge through one place changes what the other place reports.
    document = {
        "shared_zones": {"m": zone("M", agents=[{"kind": "plus_magician", "visual_id": "p"}],
                                   charges=[charge(1), charge(2)])},
        "zone": zone("Top", sub_environments=[{"shared": "m"}, {"shared": "m"}]),
    }
    sequencer = ve.NarrativeSequencer(load_level(level_file(document)).zone)
    report = json.loads(sequencer.next_frame())
    assert [inner["charges"] for inner in report["sub_environments"]] == [
        [{"magnitude": 3.0, "polarity": "positive", "visual_id": "result_p"}]] * 2


def test_title_defaults_to_file_name_and_unused_shared_zone_is_allowed(level_file):
    level = load_level(level_file({"zone": zone(), "shared_zones": {"spare": zone("Spare")}}))
    assert level.title == "level"
    assert json.loads(level.zone.to_json())["sub_environments"] == []


MALFORMED = [
    ([], "$: expected an object, found an array"),
    ({}, '$: expected key "zone", which is missing'),
    ({"zone": zone(), "colour": "red"},
     '$.colour: unexpected key; expected one of "$schema", "title", "notes", "zone", '
     '"shared_zones", "expect"'),
    ({"zone": zone(), "title": 3}, "$.title: expected a string, found 3"),
    ({"zone": {"charges": []}}, '$.zone: expected key "id", which is missing'),
    ({"zone": zone(sub_environments=[zone("a"), zone("b"), zone("c", charges=[
        charge(1, "posative")])])},
     '$.zone.sub_environments[2].charges[0].polarity: expected one of "positive", "negative", '
     '"neutral", found "posative"'),
    ({"zone": zone(charges=[charge("3")])},
     '$.zone.charges[0].magnitude: expected a finite number, found "3"'),
    ({"zone": zone(charges=[charge(True)])},
     "$.zone.charges[0].magnitude: expected a finite number, found true"),
    ({"zone": zone(charges=[charge(float("nan"))])},
     "$.zone.charges[0].magnitude: expected a finite number, found NaN"),
    ({"zone": zone(charges=[{"magnitude": 1, "polarity": "positive"}])},
     '$.zone.charges[0]: expected key "visual_id", which is missing'),
    ({"zone": zone(charges={"magnitude": 1})},
     "$.zone.charges: expected an array, found an object"),
    ({"zone": zone(sub_environments=["inner"])},
     '$.zone.sub_environments[0]: expected an object, found "inner"'),
    ({"zone": zone(agents=[{"visual_id": "w"}])},
     '$.zone.agents[0]: expected key "kind", which is missing'),
    ({"zone": zone(agents=[{"kind": "equals_gate", "visual_id": "g"}])},
     '$.zone.agents[0]: expected key "target", which is missing'),
    ({"zone": zone(agents=[{"kind": "plus_magician", "visual_id": "p", "target": 1}])},
     '$.zone.agents[0].target: unexpected key; expected one of "kind", "visual_id", "repeat"'),
    ({"zone": zone(agents=[{"kind": "inequality_gate", "visual_id": "j", "target": 1,
                            "comparison_type": "=="}])},
     '$.zone.agents[0].comparison_type: expected one of "<", ">", "<=", ">=", found "=="'),
    *[({"zone": zone(agents=[{"kind": "chronomancer", "visual_id": "c", "repeat": repeat}])},
       f"$.zone.agents[0].repeat: expected a whole number from 1 to 10000, found {shown}")
      for repeat, shown in ((0, "0"), (10_001, "10001"), (2.0, "2.0"), (True, "true"))],
    ({"zone": zone(sub_environments=[{"shared": "nowhere"}])},
     '$.zone.sub_environments[0].shared: expected the name of a zone in $.shared_zones, '
     'found "nowhere"'),
    ({"shared_zones": {"a": zone()}, "zone": zone(sub_environments=[{"shared": "a", "id": "x"}])},
     '$.zone.sub_environments[0].id: unexpected key; expected one of "shared"'),
    ({"shared_zones": {"my zone": {"id": 1}}, "zone": zone()},
     '$.shared_zones["my zone"].id: expected a string, found 1'),
    ({"shared_zones": {"a": zone(sub_environments=[{"shared": "a"}])},
      "zone": zone(sub_environments=[{"shared": "a"}])},
     '$.shared_zones.a.sub_environments[0].shared: expected a zone that does not surround this '
     'place, found "a", which would then contain itself'),
    ({"shared_zones": {"a": zone(sub_environments=[zone("deep",
                                                        sub_environments=[{"shared": "b"}])]),
                       "b": zone(sub_environments=[{"shared": "a"}])},
      "zone": zone(sub_environments=[{"shared": "a"}])},
     '$.shared_zones.b.sub_environments[0].shared: expected a zone that does not surround this '
     'place, found "a", which would then contain itself'),
]


@pytest.mark.parametrize("document, message", MALFORMED)
def test_malformed_level_names_place_and_expectation(level_file, document, message):
    path = level_file(document)
    assert load_error(path) == f"{path}: {message}"


@pytest.mark.parametrize("document, message", MALFORMED)
def test_malformed_level_in_a_string_or_a_dict_is_told_as_in_a_file(document, message):
    with pytest.raises(LevelError) as from_text:
        level_from_text(json.dumps(document), "my text")
    assert str(from_text.value) == f"my text: {message}"
    with pytest.raises(LevelError) as from_dict:
        level_from_dict(document)
    assert str(from_dict.value) == message


@pytest.mark.parametrize("text, message", [
    ('{"zone": }', "line 1, column 10: expected JSON text: Expecting value"),
    ('{"zone": {"id": "a",\n  "id": "b"}}',
     "$.zone.id: expected each key once, found this key repeated"),
    ('{"zone": {"id": "\\ud800"}}',
     "$.zone.id: expected Unicode text, found an unpaired surrogate escape"),
    ('{"zone": {"id": "z", "charges": [{"magnitude": 1e400, "polarity": "positive", '
     '"visual_id": "c"}]}}',
     "$.zone.charges[0].magnitude: expected a finite number, found Infinity"),
    ('{"zone": {"id": "z", "charges": [{"magnitude": 1' + "0" * 5000 + "}]}}",
     "expected JSON text: Exceeds the limit (4300 digits)"),
    ("[" * 100_000 + "]" * 100_000, "expected JSON nested less deeply than Python can read"),
    (b'{"zone": {"id": "caf\xe9"}}', "line 1, column 21: expected UTF-8 text"),
])
def test_text_that_is_no_level_is_told_with_its_place(level_file, text, message):
    path = level_file(text)
    assert load_error(path).startswith(f"{path}: {message}")


@pytest.mark.parametrize("make_path, reason", [
    (lambda tmp: tmp / "missing.json", "No such file or directory"),
    (lambda tmp: tmp, "Is a directory"),
])
def test_unreadable_file_is_a_level_error(tmp_path, make_path, reason):
    path = make_path(tmp_path)
    assert load_error(path) == f"{path}: expected a readable level file ({reason})"


def nested_chain(depth):
    document = zone("z0", charges=[charge(1)])
    for level in range(1, depth):
        document = zone(f"z{level}", sub_environments=[document])
    return {"zone": document}


def test_nesting_up_to_the_engine_limit_loads_and_deeper_is_refused(level_file):
    load_level(level_file(nested_chain(2000)))
    path = level_file(nested_chain(2001))
    assert load_error(path) == (
        f"{path}: $.zone: expected zones nested no deeper than the engine plays "
        "(zones are nested deeper than the engine's limit of 2000 levels)")


@pytest.mark.parametrize("halvings, loads", [(12, True), (14, False)])
def test_shared_zones_that_multiply_beyond_ten_thousand_places_are_refused(
        level_file, halvings, loads):
    # Each shared zone holds the next one twice: 2 ** halvings places at the bottom.
    shared = {f"s{n}": zone(f"S{n}", sub_environments=[{"shared": f"s{n + 1}"}] * 2)
              for n in range(halvings)}
    shared[f"s{halvings}"] = zone("Bottom")
    path = level_file({"shared_zones": shared, "zone": zone(sub_environments=[{"shared": "s0"}])})
    if loads:
        load_level(path)
    else:
        assert load_error(path) == (
            f"{path}: $.zone: expected at most 10000 zones once every shared zone is counted "
            "at each of its places, found more")
