"""The compact run data that replay pages embed: it gives back every report
exactly, stays small for long runs, and refuses reports it could not show."""

import functools
import itertools
import json
from collections.abc import Iterable
from typing import Any

import pytest
from hypothesis import given
from hypothesis import strategies as st

from golden_playthroughs import golden
from replay_pages import state_of, steps
from velm_levels import bundled_levels, load_level
from velm_levels.replay_data import replay_data
from velm_levels.replay_error import ReplayError

LEVELS = bundled_levels()


@functools.cache
def recorded_texts(name):
    return tuple(golden(name).decode().splitlines())


@pytest.mark.parametrize("with_start", [False, True], ids=["record", "played"])
@pytest.mark.parametrize("name", sorted(LEVELS))
def test_every_step_gives_back_the_recorded_report(name, with_start):
    texts = recorded_texts(name)
    start = load_level(LEVELS[name]).zone.to_json() if with_start else None
    data = json.loads(json.dumps(replay_data(texts, name, start=start)))
    expected: Iterable[tuple[Any, Any]] = (
        (report["meta"], state_of(report)) for report in map(json.loads, texts))
    if start is not None:
        expected = itertools.chain([(None, json.loads(start))], expected)
    for shown, recorded in zip(steps(data), expected, strict=True):
        assert shown == recorded


def test_the_longest_bundled_run_is_stored_in_a_small_fraction_of_its_record():
    texts = recorded_texts("frame_limit")
    compact = json.dumps(replay_data(texts, "frame_limit"), separators=(",", ":"))
    assert len(texts) == 1001
    assert len(compact) < sum(map(len, texts)) / 200


# Random zone trees, built from few ids and items so that equal neighbours,
# repeated ids and shared-looking zones all turn up.
_charges = st.builds(lambda magnitude, polarity, visual_id: {
    "magnitude": magnitude, "polarity": polarity, "visual_id": visual_id},
    st.sampled_from([1.0, 2.0, -3.5, None]), st.sampled_from(["positive", "negative", "neutral"]),
    st.sampled_from(["a", "b"]))
_agents = st.sampled_from([
    {"name": "Plus Magician", "priority": 10, "state": "dormant", "visual_id": "plus"},
    {"name": "The Purifier", "priority": 90, "state": "dormant", "visual_id": "p"},
    {"is_open": False, "name": "The Judge", "priority": 0, "rule": ">", "state": "dormant",
     "target_value": None, "visual_id": "j"},
])
_zones = st.recursive(
    st.fixed_dictionaries({
        "agents": st.lists(_agents, max_size=3), "charges": st.lists(_charges, max_size=3),
        "id": st.sampled_from(["X", "Y"]), "is_time_frozen": st.booleans(),
        "sub_environments": st.just([])}),
    lambda inner: st.fixed_dictionaries({
        "agents": st.lists(_agents, max_size=3), "charges": st.lists(_charges, max_size=3),
        "id": st.sampled_from(["X", "Y", "Z"]), "is_time_frozen": st.booleans(),
        "sub_environments": st.lists(inner, max_size=3)}),
    max_leaves=8)
_META = {"frame_index": 1, "last_event": None,
         "message": "Simulation complete. No further actions.", "status": "FINISHED"}


@given(st.lists(_zones, min_size=1, max_size=5), st.none() | _zones)
def test_edits_between_any_two_states_give_back_the_later_one(states, start):
    texts = [json.dumps({**state, "meta": _META}) for state in states]
    data = replay_data(texts, "random", start=None if start is None else json.dumps(start))
    expected = ([start] if start is not None else []) + states
    shown = steps(json.loads(json.dumps(data)))
    for (_, state), expected_state in zip(shown, expected, strict=True):
        assert state == expected_state


FIRST = recorded_texts("worked_example")[0]


def second_report(change):
    report = json.loads(FIRST)
    change(report)
    return json.dumps(report)


def set_in(*path_and_value):
    *path, key, value = path_and_value

    def change(report):
        target = report
        for step in path:
            target = target[step]
        target[key] = value
    return change


@pytest.mark.parametrize("second, message", [
    ("{", "report 2: column 2: expected JSON text: "
          "Expecting property name enclosed in double quotes"),
    ("[]", "report 2: expected a frame report (a JSON object), found an array"),
    (FIRST.replace('"magnitude":2.0', '"magnitude":NaN'),
     "report 2: expected JSON text: NaN is not a JSON number "
     "(reports write NaN and infinities as null)"),
    (FIRST.replace('"magnitude":2.0', '"magnitude":1e400'),
     "report 2: expected JSON text: the number 1e400 is too large to be finite"),
    (FIRST.replace('"id":"Top"', '"id":"Top","id":"Top"'),
     'report 2: expected JSON text: the key "id" is given twice in one object'),
    # Equal to 1 for Python, so only the parser can tell them apart.
    (FIRST.replace('"priority":10', '"priority":true'),
     'report 2: expected JSON text: expected no true or false as "priority", found true'),
    (FIRST.replace('"is_time_frozen":true', '"is_time_frozen":1'),
     'report 2: expected JSON text: expected true or false as "is_time_frozen", found a number'),
    (second_report(set_in("meta", "status", "DONE")),
     "report 2: $.meta.status: 'DONE' is not one of ['RUNNING', 'FINISHED', 'ERROR']"),
    (second_report(set_in("extra", 1)),
     "report 2: $: Additional properties are not allowed ('extra' was unexpected)"),
    (second_report(set_in("charges", [{"magnitude": 1.0, "polarity": "up", "visual_id": "u"}])),
     "report 2: $.charges[0].polarity: 'up' is not one of ['positive', 'negative', 'neutral']"),
    (second_report(set_in("agents", 0, "priority", 11)),
     "report 2: $.agents[0].priority: 10 was expected"),
    (second_report(set_in("sub_environments", 0, "charges", "none")),
     "report 2: $.sub_environments[0].charges: 'none' is not of type 'array'"),
    (second_report(set_in("sub_environments", 0, "id", 7)),
     "report 2: $.sub_environments[0].id: 7 is not of type 'string'"),
    (second_report(set_in("sub_environments", [{"id": "New"}])),
     "report 2: $.sub_environments[0]: 'agents' is a required property"),
])
def test_a_report_the_page_could_not_show_is_refused_with_its_place(second, message):
    with pytest.raises(ReplayError) as refused:
        replay_data([FIRST, second], "bad")
    assert str(refused.value) == message


@pytest.mark.parametrize("name, lines, outcome", [
    ("worked_example", slice(None), "ended with FINISHED: Equation Resolved."),
    ("frame_limit", slice(-2, None),
     "ended with ERROR: Max frame limit reached. Infinite loop detected."),
    ("worked_example", slice(2), "the run stops after frame 2, with the level still RUNNING"),
])
def test_the_outcome_defaults_to_how_the_run_ended(name, lines, outcome):
    texts = recorded_texts(name)[lines]
    assert replay_data(texts, name)["outcome"] == outcome
    assert replay_data(texts, name, outcome="solved")["outcome"] == "solved"
