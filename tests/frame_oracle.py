"""The oracle of the property tests: it checks each frame against the state
just before it.

The tests keep a small model of a level: which zone (by Python object) lists
which inner zones, in order. The engine's JSON is bound to that model place by
place, so a zone that appears or disappears without the model saying so (that
is, anywhere but in the frame in which it merged) fails the binding, and a zone
listed at several places can be recognised as one object.

Everything else is read off the reports themselves: a frame is checked by
comparing the level's state just before it with the report after it.
"""

import json
import math
from typing import Any

import velm_engine as velm

from velm_levels.agent_kinds import AGENT_KINDS

MAX_FRAMES = 1000
LIMIT_MESSAGE = "Max frame limit reached. Infinite loop detected."
DONE_MESSAGE = "Simulation complete. No further actions."
RESOLVED = "Equation Resolved."

ZONE_KEYS = ["agents", "charges", "id", "is_time_frozen", "sub_environments"]
REPORT_KEYS = ["agents", "charges", "id", "is_time_frozen", "meta", "sub_environments"]
META_KEYS = ["frame_index", "last_event", "message", "status"]
EVENT_KEYS = ["agent_name", "description", "type", "visual_id"]
CHARGE_KEYS = ["magnitude", "polarity", "visual_id"]
AGENT_KEYS = ["name", "priority", "state", "visual_id"]
EQUALS_KEYS = ["is_open", "name", "priority", "state", "target_value", "visual_id"]
JUDGE_KEYS = ["is_open", "name", "priority", "rule", "state", "target_value", "visual_id"]
GATE_KEYS = {"equals_gate": EQUALS_KEYS, "inequality_gate": JUDGE_KEYS}
GATES = tuple(GATE_KEYS)

KIND_BY_TITLE = {kind.title: kind for kind in AGENT_KINDS.values()}
# The charges an arithmetic kind's act takes from the end of its zone's list:
# all of them, a fixed count, or "1or2": the last two, or the only one.
CONSUMED: dict[str, int | str] = {
    "plus_magician": "all", "minus_magician": "all", "multiply_magician": "all",
    "divide_magician": "all", "power_sorcerer": 2, "root_magician": "1or2",
    "factorial_magician": 1, "modulo_magician": 2, "log_magician": "1or2",
}
# Kinds whose result charge is always positive, and those whose result is
# never neutral.
POSITIVE_RESULT = {"root_magician", "factorial_magician", "modulo_magician"}
SIGNED_RESULT = {"plus_magician", "minus_magician", "log_magician"}


def polarity_text(polarity):
    return {0: "positive", 1: "negative"}.get(polarity.value, "neutral")


def charge_object(magnitude, polarity, visual_id):
    """The JSON object that the engine must print for a charge, parsed."""
    magnitude = float(magnitude)
    if isinstance(visual_id, (bytes, bytearray)):
        visual_id = bytes(visual_id).decode("utf-8")
    return {
        "magnitude": magnitude if math.isfinite(magnitude) else None,
        "polarity": polarity_text(polarity),
        "visual_id": visual_id,
    }


# ---------------------------------------------------------------- key checks

def check_charge(charge):
    assert list(charge) == CHARGE_KEYS, charge
    # Always a JSON float (5 prints 5.0), or null for NaN and the infinities.
    assert charge["magnitude"] is None or type(charge["magnitude"]) is float, charge
    assert charge["polarity"] in ("positive", "negative", "neutral"), charge
    assert type(charge["visual_id"]) is str, charge


def check_agent(agent):
    kind = KIND_BY_TITLE.get(agent.get("name"))
    assert kind is not None, agent
    assert list(agent) == GATE_KEYS.get(kind.name, AGENT_KEYS), agent
    assert agent["priority"] == kind.priority and type(agent["priority"]) is int, agent
    # Between frames, and in every report, no agent is ever seen other than dormant:
    # the one that acted has left its zone, the ones that declined went back.
    assert agent["state"] == "dormant", agent
    assert type(agent["visual_id"]) is str, agent
    if kind.name in GATES:
        assert agent["is_open"] is False, agent  # an opened gate has acted and left
        assert agent["target_value"] is None or type(agent["target_value"]) is float, agent
    if kind.name == "inequality_gate":
        assert agent["rule"] in ("<", ">", "<=", ">="), agent


def check_zone(zone, keys=ZONE_KEYS):
    """Exactly the documented keys, in the documented order, all the way down."""
    assert list(zone) == keys, list(zone)
    assert type(zone["id"]) is str
    assert type(zone["is_time_frozen"]) is bool
    if not zone["sub_environments"]:
        assert zone["is_time_frozen"] is False
    for charge in zone["charges"]:
        check_charge(charge)
    for agent in zone["agents"]:
        check_agent(agent)
    for inner in zone["sub_environments"]:
        check_zone(inner)


def check_report_keys(report):
    check_zone(report, REPORT_KEYS)
    meta = report["meta"]
    assert list(meta) == META_KEYS, meta
    assert type(meta["frame_index"]) is int
    assert meta["status"] in ("RUNNING", "FINISHED", "ERROR")
    assert type(meta["message"]) is str
    if meta["last_event"] is not None:
        assert list(meta["last_event"]) == EVENT_KEYS, meta
        assert all(type(value) is str for value in meta["last_event"].values()), meta


def split_meta(text):
    """(state text, meta text) of a report text. The first `,"meta":` is the
    top-level key (the keys before it have fixed objects, and a quotation mark
    inside a string is always escaped), and the first `,"sub_environments":`
    after it closes the meta object."""
    start = text.index(',"meta":{')
    end = text.index(',"sub_environments":', start)
    return text[:start] + text[end:], text[start + len(',"meta":'):end]


# ---------------------------------------------------------------- the model

def own(node):
    """What a zone holds itself: its id, agents and charges (not the inner zones
    nor the freeze flag, which every running frame recomputes)."""
    return {"id": node["id"], "agents": node["agents"], "charges": node["charges"]}


def is_resolved(node):
    return not node["agents"] and len(node["charges"]) == 1


def is_unresolved(node):
    return bool(node["agents"]) or len(node["charges"]) > 1


class Place:
    __slots__ = ("zone", "node", "parent", "index")

    def __init__(self, zone, node, parent, index):
        self.zone, self.node, self.parent, self.index = zone, node, parent, index


class Level:
    """The zones a test has made and, for each, its inner zones in order."""

    def __init__(self):
        self.zones = []  # keeps every zone's Python object alive, so id() stays unique
        self.children = {}

    def new_zone(self, zone_id):
        zone = velm.Environment(zone_id)
        self.zones.append(zone)
        self.children[id(zone)] = []
        return zone

    def holds(self, zone, target):
        """True when `target` is `zone` or anywhere below it."""
        seen, pending = set(), [zone]
        while pending:
            current = pending.pop()
            if current is target:
                return True
            if id(current) not in seen:
                seen.add(id(current))
                pending.extend(self.children[id(current)])
        return False

    def place_count(self, zone, extra=None):
        """Places in the tree under `zone` (itself included), optionally as if
        `extra` = (parent, child) had been appended."""
        memo = {}

        def count(current):
            key = id(current)
            if key not in memo:
                inner = list(self.children[key])
                if extra is not None and extra[0] is current:
                    inner.append(extra[1])
                memo[key] = 1 + sum(count(child) for child in inner)
            return memo[key]

        return count(zone)

    def bind(self, state, root):
        """Pairs every place of the JSON state with the model, inner zones
        first (post-order, as the engine visits them). Fails if the shapes
        differ, and if one zone shows different contents at two places."""
        places: list[Place] = []
        nodes: dict[int, dict[str, Any]] = {}

        def walk(zone, node, parent, index):
            inner = self.children[id(zone)]
            assert len(node["sub_environments"]) == len(inner), (
                f"zone {node['id']!r} lists {len(node['sub_environments'])} inner zones, "
                f"the model {len(inner)}")
            for position, (child, child_node) in enumerate(zip(inner, node["sub_environments"])):
                walk(child, child_node, zone, position)
            if id(zone) in nodes:
                assert nodes[id(zone)] == node, "one zone printed differently at two places"
            nodes[id(zone)] = node
            places.append(Place(zone, node, parent, index))

        walk(root, state, None, None)
        return places, nodes


# ---------------------------------------------------------------- one frame

def checked_frame(level, sequencer, root):
    """Runs one next_frame() and checks it against the state just before it.
    Returns the parsed report."""
    before = json.loads(root.to_json())
    check_zone(before)
    places, nodes = level.bind(before, root)
    frame, finished = sequencer.current_frame, sequencer.is_finished

    text = sequencer.next_frame()

    report = json.loads(text)
    check_report_keys(report)
    state_text, _ = split_meta(text)
    assert state_text == root.to_json(), "the report without meta is not the root's to_json()"
    after = {key: value for key, value in report.items() if key != "meta"}
    meta = report["meta"]
    assert meta["frame_index"] == sequencer.current_frame

    if frame >= MAX_FRAMES:
        assert meta == {"frame_index": frame, "last_event": None, "message": LIMIT_MESSAGE,
                        "status": "ERROR"}
        assert sequencer.is_finished is True
        assert after == before
        return report
    if finished:
        assert meta == {"frame_index": frame, "last_event": None, "message": DONE_MESSAGE,
                        "status": "FINISHED"}
        assert sequencer.is_finished is True
        assert after == before
        return report

    # A running frame: counted once, one event, message = description.
    assert sequencer.current_frame == frame + 1
    event = meta["last_event"]
    assert event is not None
    assert meta["message"] == event["description"]
    completed = event["type"] == "FINISHED"
    assert sequencer.is_finished is completed
    assert meta["status"] == ("FINISHED" if completed else "RUNNING")

    # Freeze flags are computed at the start of the frame from the inner zones
    # as they stood then.
    frozen = {id(place.zone): any(is_unresolved(nodes[id(child)])
                                  for child in level.children[id(place.zone)])
              for place in places}

    if event["type"] == "CAST_SPELL":
        check_cast(level, root, event, places, nodes, frozen, after)
    elif event["type"] == "COLLAPSE_ZONE":
        check_merge(level, root, event, places, nodes, after)
    else:
        assert event == {"agent_name": "System", "description": RESOLVED, "type": "FINISHED",
                         "visual_id": "N/A"}
        # Nothing acted and nothing could merge.
        assert not any(place.parent is not None and is_resolved(place.node) for place in places)
        _, nodes_after = level.bind(after, root)
        assert {key: own(node) for key, node in nodes_after.items()} == \
               {key: own(node) for key, node in nodes.items()}

    for place in level.bind(after, root)[0]:
        expected = bool(place.node["sub_environments"]) and frozen[id(place.zone)]
        assert place.node["is_time_frozen"] is expected, place.node["id"]
    return report


def check_cast(level, root, event, places, nodes, frozen, after):
    """One agent acted: it, and only it, is gone; only its zone's charges changed."""
    title, visual_id = event["agent_name"], event["visual_id"]
    kind = KIND_BY_TITLE[title]
    assert kind.name != "chronomancer", "a Chronomancer never acts"
    _, nodes_after = level.bind(after, root)  # no zone appears or disappears
    changed = [key for key in nodes if own(nodes[key]) != own(nodes_after[key])]
    assert len(changed) == 1, f"{len(changed)} zones changed in a CAST_SPELL frame"
    key = changed[0]
    zone_before, zone_after = nodes[key], nodes_after[key]
    assert event["description"] == f"{title} executed operation in {zone_before['id']}"
    assert not frozen[key], "an agent of a frozen zone acted"

    removed = [index for index, agent in enumerate(zone_before["agents"])
               if agent["name"] == title and agent["visual_id"] == visual_id
               and zone_before["agents"][:index] + zone_before["agents"][index + 1:]
               == zone_after["agents"]]
    assert removed, "the acting agent is not the one removed from its zone"

    old, new = zone_before["charges"], zone_after["charges"]
    if kind.name in GATES:
        assert new == old and old
    elif kind.name == "abs_magician":
        assert old and len(new) == len(old)
        for was, now in zip(old, new):
            if was["polarity"] == "negative":
                assert now == {"magnitude": was["magnitude"], "polarity": "positive",
                               "visual_id": "purified_" + was["visual_id"]}
            else:
                assert now == was
    else:
        consumed = CONSUMED[kind.name]
        if isinstance(consumed, int):
            operands = consumed
        else:
            operands = {"all": len(old), "1or2": 1 if len(old) == 1 else 2}[consumed]
        needed = 2 if consumed == "all" else operands
        assert len(old) >= needed, f"{title} acted on {len(old)} charges"
        assert new[:-1] == old[:len(old) - operands]
        assert len(new) == len(old) - operands + 1
        assert kind.result_prefix is not None, f"{title} appended a charge"
        assert new[-1]["visual_id"] == kind.result_prefix + visual_id
        if kind.name in POSITIVE_RESULT:
            assert new[-1]["polarity"] == "positive"
        if kind.name in SIGNED_RESULT:
            assert new[-1]["polarity"] != "neutral"


def check_merge(level, root, event, places, nodes, after):
    """The first resolved zone in post-order merged: it left its parent, whose
    charges gained a copy of its charge at the end; nothing else changed."""
    merged = next((place for place in places
                   if place.parent is not None and is_resolved(place.node)), None)
    assert merged is not None, "a zone merged although none was resolved"
    zone_id = merged.node["id"]
    assert event == {
        "agent_name": "Chronomancer",
        "description": f"Zone {zone_id} has resolved and merged.",
        "type": "COLLAPSE_ZONE",
        "visual_id": f"shield_{zone_id}",
    }
    removed = level.children[id(merged.parent)].pop(merged.index)
    assert removed is merged.zone
    expected = {key: own(node) for key, node in nodes.items()}
    parent = expected[id(merged.parent)]
    parent["charges"] = parent["charges"] + merged.node["charges"]
    _, nodes_after = level.bind(after, root)
    assert {key: own(nodes_after[key]) for key in nodes_after} == \
           {key: expected[key] for key in nodes_after}


def play_to_end(level, sequencer, root):
    """Plays a level that is not finished until it ends, checking every frame,
    and checks how it ends: "Equation Resolved." or the frame-limit report,
    and the former whenever the frame limit is out of reach. Returns the reports."""
    assert not sequencer.is_finished
    places, _ = level.bind(json.loads(root.to_json()), root)
    # Every running frame removes an agent or a place, or completes the level.
    bound = sum(len(place.node["agents"]) for place in places) + len(places) + 1
    start = sequencer.current_frame
    reports = []
    while True:
        reports.append(checked_frame(level, sequencer, root))
        meta = reports[-1]["meta"]
        if meta["status"] != "RUNNING":
            break
        assert len(reports) <= bound, "more running frames than agents and zones"
    if meta["status"] == "ERROR":
        assert meta["message"] == LIMIT_MESSAGE and meta["last_event"] is None
        assert start + bound >= MAX_FRAMES, "the frame limit cut short a level that had to end"
    else:
        assert meta["message"] == RESOLVED and meta["last_event"]["type"] == "FINISHED"
    return reports
