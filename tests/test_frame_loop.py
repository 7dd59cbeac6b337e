"""Playing levels frame by frame: ordering, freezing, merging and endings."""
import gc
import json

import pytest

from velm_engine import NEGATIVE, POSITIVE, Environment, NarrativeSequencer

from helpers import events, frame, play, zone

DONE = "Simulation complete. No further actions."
LIMIT = "Max frame limit reached. Infinite loop detected."


def gate_zone(count, zone_id="z"):
    """A zone whose `count` equals gates all open, one per frame."""
    environment = zone(zone_id, [(1, POSITIVE, "c")])
    for index in range(count):
        environment.add_equals_gate(f"g{index}", 1)
    return environment


class TestOrdering:
    def test_higher_priority_acts_first_then_added_order(self):
        environment = zone("z", [(2, NEGATIVE, "a"), (3, POSITIVE, "b")])
        environment.add_plus_magician("plus")
        environment.add_abs_magician("abs")
        environment.add_minus_magician("minus")
        reports = play(NarrativeSequencer(environment))
        assert events(reports) == ["abs", "plus", "N/A"]
        assert reports[1]["charges"] == [
            {"magnitude": 5.0, "polarity": "positive", "visual_id": "result_plus"}]

    @pytest.mark.parametrize("count", [2, 32, 33, 200])
    def test_equal_priorities_keep_gathered_order_at_any_size(self, count):
        reports = play(NarrativeSequencer(gate_zone(count)))
        assert events(reports) == [f"g{i}" for i in range(count)] + ["N/A"]

    def test_refusing_agent_returns_to_dormant_and_stays(self):
        environment = zone("z", [(1, POSITIVE, "a")])
        environment.add_divide_magician("d")
        report = frame(NarrativeSequencer(environment))
        assert [a["state"] for a in report["agents"]] == ["dormant"]


class TestTimeFreeze:
    def test_parent_waits_for_inner_zone_then_thaws(self):
        inner = zone("inner", [(1, POSITIVE, "a"), (2, POSITIVE, "b")])
        inner.add_plus_magician("inner_plus")
        outer = zone("outer", [(4, POSITIVE, "c")], [inner])
        outer.add_abs_magician("outer_abs")
        sequencer = NarrativeSequencer(outer)
        first = frame(sequencer)
        assert first["meta"]["last_event"]["visual_id"] == "inner_plus"
        assert first["is_time_frozen"] is True
        second = frame(sequencer)
        assert second["meta"]["last_event"]["visual_id"] == "outer_abs"
        assert second["is_time_frozen"] is False

    def test_host_freeze_lasts_until_the_next_frame(self):
        environment = zone("z", [(1, NEGATIVE, "a")], [Environment("empty")])
        environment.add_abs_magician("abs")
        environment.is_time_frozen = True
        sequencer = NarrativeSequencer(environment)
        assert frame(sequencer)["meta"]["last_event"]["visual_id"] == "abs"
        assert environment.is_time_frozen is False


class TestMerge:
    def test_grandchild_merges_before_its_parent(self):
        grandchild = zone("grandchild", [(3, POSITIVE, "g")])
        child = zone("child", [], [grandchild])
        sibling = zone("sibling", [(5, POSITIVE, "s")])
        root = zone("root", [(1, POSITIVE, "r")], [child, sibling])
        reports = play(NarrativeSequencer(root))
        assert events(reports) == [
            "shield_grandchild", "shield_child", "shield_sibling", "N/A"]
        assert [c["visual_id"] for c in reports[-1]["charges"]] == ["r", "g", "s"]
        assert reports[0]["meta"]["last_event"] == {
            "agent_name": "Chronomancer", "description": "Zone grandchild has resolved and merged.",
            "type": "COLLAPSE_ZONE", "visual_id": "shield_grandchild"}

    def test_resolved_zone_takes_its_inner_zones_along(self):
        stuck = zone("stuck", [(1, POSITIVE, "x"), (2, POSITIVE, "y")])
        resolved = zone("resolved", [(7, NEGATIVE, "r")], [stuck, Environment("empty")])
        root = zone("root", [], [resolved])
        report = frame(NarrativeSequencer(root))
        assert report["sub_environments"] == []
        assert report["charges"] == [{"magnitude": 7.0, "polarity": "negative", "visual_id": "r"}]
        assert report["is_time_frozen"] is False

    def test_unresolvable_zones_stay(self):
        root = zone("root", [], [Environment("empty"), zone("two", [(1, POSITIVE, "a"),
                                                                    (1, POSITIVE, "b")])])
        reports = play(NarrativeSequencer(root))
        assert events(reports) == ["N/A"]
        assert len(reports[0]["sub_environments"]) == 2

    def test_zone_listed_twice_merges_at_each_place(self):
        shared = zone("shared", [(2, POSITIVE, "s")])
        root = zone("root", [], [shared, shared])
        reports = play(NarrativeSequencer(root))
        assert events(reports) == ["shield_shared", "shield_shared", "N/A"]
        assert len(reports[-1]["charges"]) == 2

    def test_merged_zone_lives_on_with_the_host(self):
        inner = zone("inner", [(2, POSITIVE, "s")])
        root = zone("root", [], [inner])
        frame(NarrativeSequencer(root))
        assert json.loads(inner.to_json())["charges"][0]["visual_id"] == "s"


class TestEndings:
    def test_frame_limit_after_a_thousand_running_frames(self):
        sequencer = NarrativeSequencer(gate_zone(1001))
        reports = play(sequencer)
        assert len(reports) == 1001
        assert reports[999]["meta"]["status"] == "RUNNING"
        for report in (reports[-1], frame(sequencer)):
            assert report["meta"] == {"frame_index": 1000, "last_event": None,
                                      "message": LIMIT, "status": "ERROR"}
        assert sequencer.is_finished is True

    def test_completing_in_the_last_allowed_frame_then_the_limit(self):
        sequencer = NarrativeSequencer(gate_zone(999))
        reports = play(sequencer)
        assert reports[-1]["meta"]["frame_index"] == 1000
        assert reports[-1]["meta"]["message"] == "Equation Resolved."
        assert frame(sequencer)["meta"]["status"] == "ERROR"

    @pytest.mark.parametrize("written, status", [(1000, "ERROR"), (2**31 - 1, "ERROR"),
                                                 (999, "RUNNING"), (-5, "RUNNING")])
    def test_host_writes_current_frame(self, written, status):
        sequencer = NarrativeSequencer(gate_zone(3))
        sequencer.current_frame = written
        report = frame(sequencer)
        assert report["meta"]["status"] == status
        assert report["meta"]["frame_index"] == (written if status == "ERROR" else written + 1)

    @pytest.mark.parametrize("value", [2**31, -(2**31) - 1, 1.0, "3", None])
    def test_current_frame_refuses_what_is_not_a_32_bit_int(self, value):
        sequencer = NarrativeSequencer(Environment("z"))
        with pytest.raises(TypeError):
            sequencer.current_frame = value
        assert sequencer.current_frame == 0

    def test_host_sets_and_clears_is_finished(self):
        sequencer = NarrativeSequencer(gate_zone(1))
        sequencer.is_finished = True
        assert frame(sequencer)["meta"] == {"frame_index": 0, "last_event": None,
                                            "message": DONE, "status": "FINISHED"}
        sequencer.is_finished = None  # type: ignore[assignment]
        assert sequencer.is_finished is False
        assert events(play(sequencer)) == ["g0", "N/A"]
        sequencer.is_finished = False
        again = frame(sequencer)
        assert again["meta"]["frame_index"] == 3
        assert again["meta"]["message"] == "Equation Resolved."


class TestSharing:
    def test_sequencer_keeps_the_level_after_the_host_drops_it(self):
        environment = gate_zone(2)
        sequencer = NarrativeSequencer(environment)
        del environment
        gc.collect()
        assert events(play(sequencer)) == ["g0", "g1", "N/A"]

    def test_host_changes_between_frames_are_seen(self):
        environment = zone("z", [(1, POSITIVE, "a")])
        sequencer = NarrativeSequencer(environment)
        environment.add_charge(2, POSITIVE, "b")
        environment.add_plus_magician("p")
        report = frame(sequencer)
        assert report["charges"][0]["magnitude"] == 3.0

    def test_two_sequencers_share_one_level(self):
        environment = gate_zone(2)
        first, second = NarrativeSequencer(environment), NarrativeSequencer(environment)
        assert events([frame(first), frame(second)]) == ["g0", "g1"]

    def test_none_is_refused(self):
        with pytest.raises(TypeError):
            NarrativeSequencer(None)  # type: ignore[arg-type]
