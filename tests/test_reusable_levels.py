"""Levels a host can use again: bundled levels by name, levels from strings and dicts,
fresh zone trees for every game."""
import json
from importlib.metadata import version
from typing import Any

import pytest

import velm_levels
from golden_playthroughs import golden
from velm_levels import LevelError, bundled_levels, level_from_dict, level_from_text, make, play


def played(zone):
    return "".join(text + "\n" for text in play(zone)).encode()


@pytest.mark.parametrize("name", ["worked_example", "shared_mirror", "nested_citadel"])
def test_make_and_build_zone_give_fresh_levels_that_play_like_the_first(name):
    level = make(name)
    first = played(level.zone)
    assert first == golden(name)
    # Played to the end, the level's zones are used up; new ones start afresh.
    assert played(level.zone) != first
    assert played(level.build_zone()) == first
    assert played(make(name).zone) == first


def test_levels_made_or_built_share_no_zone():
    one, other = make("worked_example"), make("worked_example")
    one.zone.id = "Changed"
    assert json.loads(other.zone.to_json())["id"] == "Top"
    assert json.loads(one.build_zone().to_json())["id"] == "Top"


def test_make_refuses_a_name_no_bundled_level_has():
    with pytest.raises(LevelError, match=r'^expected the name of a bundled level, one of '
                                         r'"abs_magician", .*"worked_example"; found "nope"$'):
        make("nope")
    with pytest.raises(TypeError, match=r"expected a level's name as a str, found \w*Path"):
        make(bundled_levels()["worked_example"])  # type: ignore[arg-type]


def test_level_keeps_title_notes_and_source():
    path = bundled_levels()["chronomancer"]
    level = make("chronomancer")
    document = json.loads(path.read_text())
    assert (level.title, level.notes, level.source) == (document["title"], document["notes"], path)
    from_text = level_from_text(path.read_text())
    assert (from_text.title, from_text.notes, from_text.source) == (
        document["title"], document["notes"], None)
    bare = level_from_dict({"zone": {"id": "z"}})
    assert (bare.title, bare.notes) == ("untitled", "")


def test_string_and_dict_build_what_the_file_builds():
    path = bundled_levels()["nested_citadel"]
    expected = make("nested_citadel").zone.to_json()
    assert level_from_text(path.read_text()).zone.to_json() == expected
    assert level_from_dict(json.loads(path.read_text())).zone.to_json() == expected


def test_dict_is_read_once_and_not_kept():
    document: dict[str, Any] = {"zone": {"id": "Top", "charges": [
        {"magnitude": 1, "polarity": "positive", "visual_id": "c"}]}}
    level = level_from_dict(document)
    document["zone"]["id"] = "Changed"
    document["zone"]["charges"].clear()
    assert json.loads(level.build_zone().to_json())["charges"][0]["visual_id"] == "c"


def test_tuples_in_a_dict_are_read_as_lists():
    level = level_from_dict({"zone": {"id": "z", "agents": ({"kind": "chronomancer",
                                                             "visual_id": "k"},)}})
    assert json.loads(level.zone.to_json())["agents"][0]["name"] == "Chronomancer"


def circular():
    zone: dict[str, Any] = {"id": "loop"}
    zone["sub_environments"] = [zone]
    return {"zone": zone}


@pytest.mark.parametrize("document, message", [
    (circular(), "expected a document without circular references, found a dict or list "
                 "inside itself"),
    ({"zone": {"id": {"a", "b"}}}, "expected only JSON values (dicts with string keys, lists, "
                                   "strings, numbers, booleans, None): Object of type set is "
                                   "not JSON serializable"),
    ({"zone": {"id": "z"}, ("a", "b"): 1}, "expected only JSON values (dicts with string keys, "
                                           "lists, strings, numbers, booleans, None): keys must "
                                           "be str, int, float, bool or None, not tuple"),
])
def test_dict_that_no_file_could_hold_is_refused(document, message):
    with pytest.raises(LevelError) as caught:
        level_from_dict(document, "host")
    assert str(caught.value) == f"host: {message}"


@pytest.mark.parametrize("text, message", [
    ('{"zone": }', "line 1, column 10: expected JSON text: Expecting value"),
    ('{"zone": {"id": "a",\n  "id": "b"}}',
     "$.zone.id: expected each key once, found this key repeated"),
    ('{"zone": {"id": "z", "charges": [{"magnitude": NaN, "polarity": "positive", '
     '"visual_id": "c"}]}}', "$.zone.charges[0].magnitude: expected a finite number, found NaN"),
])
def test_text_that_is_no_level_is_told_as_a_file_would_be(text, message):
    with pytest.raises(LevelError) as caught:
        level_from_text(text)
    assert str(caught.value) == message


def test_level_from_text_wants_a_str():
    with pytest.raises(TypeError, match="expected the level's text as a str, found bytes"):
        level_from_text(b'{"zone": {"id": "z"}}')  # type: ignore[arg-type]


def test_package_version_is_the_distribution_version():
    assert velm_levels.__version__ == version("velm_engine")
