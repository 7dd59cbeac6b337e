"""Zones as the host builds and inspects them."""
import gc
import json

import pytest

from velm_engine import NEGATIVE, NEUTRAL, POSITIVE, Charge, Environment

from helpers import zone
from velm_levels.agent_kinds import AGENT_KINDS


def state(environment):
    return json.loads(environment.to_json())


def test_frozen_flag_is_only_written_for_zones_with_inner_zones():
    leaf = Environment("leaf")
    leaf.is_time_frozen = True
    assert leaf.is_time_frozen is True
    assert state(leaf)["is_time_frozen"] is False
    parent = zone("parent", inner=[Environment("x")])
    parent.is_time_frozen = True
    assert state(parent)["is_time_frozen"] is True


def test_id_reads_back_and_renames():
    environment = Environment("a")
    environment.id = "b"
    assert environment.id == "b" and state(environment)["id"] == "b"


class TestChargesProperty:
    def test_add_charge_appends_in_order(self):
        environment = zone("z", [(1, POSITIVE, "a"), (2, NEGATIVE, "b")])
        environment.add_charge(3, NEUTRAL, "c")
        assert [c.visual_id for c in environment.charges] == ["a", "b", "c"]

    def test_returned_list_is_a_fresh_list(self):
        environment = zone("z", [(1, POSITIVE, "a")])
        environment.charges.append(Charge(2, POSITIVE, "b"))
        assert len(environment.charges) == 1

    def test_elements_are_live_views(self):
        environment = zone("z", [(1, POSITIVE, "a")])
        view = environment.charges[0]
        view.magnitude = 7
        view.polarity = NEGATIVE
        view.visual_id = "seven"
        assert state(environment)["charges"] == [
            {"magnitude": 7.0, "polarity": "negative", "visual_id": "seven"}]
        environment.charges[0].magnitude = 8
        assert view.magnitude == 8.0

    def test_assignment_copies_the_given_charges(self):
        environment = Environment("z")
        mine = Charge(1, POSITIVE, "a")
        environment.charges = (mine, Charge(2, NEGATIVE, "b"))
        mine.magnitude = 100
        assert [c.magnitude for c in environment.charges] == [1.0, 2.0]
        environment.charges = []
        assert environment.charges == []

    def test_assigning_own_views_back_keeps_the_values(self):
        environment = zone("z", [(1, POSITIVE, "a"), (2, NEGATIVE, "b")])
        environment.charges = list(reversed(environment.charges))
        assert [c.visual_id for c in environment.charges] == ["b", "a"]

    @pytest.mark.parametrize("value", ["ab", b"ab", 5, [1.0], [Charge(1, POSITIVE, "a"), None]])
    def test_bad_assignment_raises_type_error_and_keeps_the_list(self, value):
        environment = zone("z", [(1, POSITIVE, "a")])
        before = environment.to_json()
        with pytest.raises(TypeError):
            environment.charges = value
        assert environment.to_json() == before

    def test_view_keeps_its_zone_alive(self):
        view = zone("z", [(4, POSITIVE, "a")]).charges[0]
        gc.collect()
        assert view.magnitude == 4.0

    def test_stale_view_raises_index_error(self):
        environment = zone("z", [(1, POSITIVE, "a"), (2, POSITIVE, "b")])
        last = environment.charges[1]
        environment.charges = [Charge(9, POSITIVE, "only")]
        with pytest.raises(IndexError):
            last.magnitude  # noqa: B018
        with pytest.raises(IndexError):
            last.to_json()
        with pytest.raises(IndexError):
            environment.charges = [environment.charges[0], last]
        assert [c.visual_id for c in environment.charges] == ["only"]


class TestSubEnvironments:
    def test_inner_zone_is_shared_not_copied(self):
        inner = Environment("inner")
        outer = zone("outer", inner=[inner, inner])
        inner.add_charge(1, POSITIVE, "late")
        inner.id = "renamed"
        subs = state(outer)["sub_environments"]
        assert [s["id"] for s in subs] == ["renamed", "renamed"]
        assert subs[0]["charges"][0]["visual_id"] == "late"

    def test_zone_under_two_parents_is_allowed(self):
        shared = Environment("shared")
        left, right = zone("l", inner=[shared]), zone("r", inner=[shared])
        root = zone("root", inner=[left, right])
        assert root.to_json().count('"id":"shared"') == 2

    def test_none_is_refused(self):
        outer = Environment("outer")
        with pytest.raises(TypeError):
            outer.add_sub_environment(None)  # type: ignore[arg-type]
        assert state(outer)["sub_environments"] == []

    @pytest.mark.parametrize("depth", [0, 1, 3])
    def test_cycles_are_refused(self, depth):
        top = Environment("top")
        bottom = top
        for level in range(depth):
            below = Environment(f"z{level}")
            bottom.add_sub_environment(below)
            bottom = below
        before = top.to_json()
        with pytest.raises(ValueError):
            bottom.add_sub_environment(top)
        assert top.to_json() == before

    def test_cycle_check_visits_shared_zones_once(self):
        # Forty levels, each listing the next twice: 2**40 paths, 41 zones.
        top = Environment("top")
        bottom = top
        for level in range(40):
            below = Environment(str(level))
            bottom.add_sub_environment(below)
            bottom.add_sub_environment(below)
            bottom = below
        with pytest.raises(ValueError):
            bottom.add_sub_environment(top)
        bottom.add_sub_environment(Environment("fine"))


# The arguments each kind's zone method takes after the visual id, and the keys
# that only the gates show.
EXTRA_ARGUMENTS = {"equals_gate": (5,), "inequality_gate": (-1.5, ">=")}
EXTRA_KEYS: dict[str, dict[str, object]] = {
    "equals_gate": {"is_open": False, "target_value": 5.0},
    "inequality_gate": {"is_open": False, "target_value": -1.5, "rule": ">="},
}


@pytest.mark.parametrize("kind", AGENT_KINDS.values(), ids=lambda kind: kind.name)
def test_agent_methods_append_one_dormant_agent(kind):
    # The table's title and priority are what the engine shows for the kind.
    environment = Environment("z")
    environment.add_chronomancer("first")
    assert getattr(environment, kind.add_method)("v", *EXTRA_ARGUMENTS.get(kind.name, ())) is None
    agents = state(environment)["agents"]
    assert len(agents) == 2 and agents[0]["visual_id"] == "first"
    assert agents[1] == {"name": kind.title, "priority": kind.priority, "state": "dormant",
                         "visual_id": "v", **EXTRA_KEYS.get(kind.name, {})}
