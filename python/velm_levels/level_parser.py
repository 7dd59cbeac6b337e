"""Checking a level document and turning it into a LevelSpec.

A document is an object with a "zone" (the top zone), an optional "title",
optional "notes" for the author, optional "shared_zones": zones by name
that inner-zone lists may place, one or more times, with {"shared": name},
and an optional "expect": the outcome, value and frames the author intends.
It may also name its JSON Schema under "$schema", for editors; the loader
reads no schema.
"""

from typing import Any

from velm_engine import NEGATIVE, NEUTRAL, POSITIVE

from velm_levels.agent_kinds import AGENT_KINDS
from velm_levels.errors import LevelError
from velm_levels.expectation import Expectation
from velm_levels.json_path import JsonPath
from velm_levels.json_values import (
    JsonObjectReader,
    Reader,
    choice_reader,
    quote,
    read_finite_number,
    read_text,
    whole_number_reader,
)
from velm_levels.level_model import AgentSpec, ChargeSpec, LevelSpec, SharedZoneRef, ZoneSpec
from velm_levels.outcome import OutcomeKind

LEVEL_KEYS = ("$schema", "title", "notes", "zone", "shared_zones", "expect")
EXPECT_KEYS = ("outcome", "value", "frames")
ZONE_KEYS = ("id", "charges", "agents", "sub_environments")
CHARGE_KEYS = ("magnitude", "polarity", "visual_id")
AGENT_KEYS = ("kind", "visual_id", "repeat")
REFERENCE_KEY = "shared"

# More copies than this are no puzzle: a level stops after 1000 frames anyway.
MAX_REPEAT = 10_000

read_polarity = choice_reader({"positive": POSITIVE, "negative": NEGATIVE, "neutral": NEUTRAL})
read_agent_kind = choice_reader(AGENT_KINDS)
read_repeat = whole_number_reader(1, MAX_REPEAT)
# A level that loads can only end solved, stalled or at the frame limit, and
# the limit is frame 1000.
read_expected_outcome = choice_reader({kind.value: kind for kind in (
    OutcomeKind.SOLVED, OutcomeKind.STALLED, OutcomeKind.FRAME_LIMIT)})
read_expected_frames = whole_number_reader(1, 1000)

# How each extra argument of a kind is read. The engine takes any comparison
# text and treats an unknown one as "<"; a level file may only name the four.
EXTRA_ARGUMENT_READERS: dict[str, Reader[float | str]] = {
    "target": read_finite_number,
    "comparison_type": choice_reader({text: text for text in ("<", ">", "<=", ">=")}),
}

# An inner zone still to be read: its value and where it stands.
_Unread = tuple[Any, JsonPath]
# A shared zone still to be read: its name, its value and where it stands.
_NamedZone = tuple[str, Any, JsonPath]


def parse_level(document: Any) -> LevelSpec:
    """The level that `document` (a parsed level file) describes.

    Raises LevelError, naming the place, at the first thing that is not as the
    format expects, including a reference to a shared zone that does not exist.
    """
    level = JsonObjectReader(document, JsonPath()).allow_only(LEVEL_KEYS)
    level.optional("$schema", read_text, "")
    title = level.optional("title", read_text, "")
    notes = level.optional("notes", read_text, "")
    shared: list[_NamedZone] = level.optional("shared_zones", _read_named_zones, [])
    names = {name for name, _, _ in shared}
    top = level.required("zone", lambda value, place: _read_zone_tree(value, place, names))
    shared_zones = {name: _read_zone_tree(value, place, names) for name, value, place in shared}
    expect = level.optional("expect", _read_expectation, None)
    return LevelSpec(title, top, shared_zones, expect, notes)


def _read_expectation(value: Any, place: JsonPath) -> Expectation:
    expect = JsonObjectReader(value, place).allow_only(EXPECT_KEYS)
    expectation = Expectation(
        outcome=expect.optional("outcome", read_expected_outcome, OutcomeKind.SOLVED),
        value=expect.optional("value", read_finite_number, None),
        frames=expect.optional("frames", read_expected_frames, None),
    )
    if expectation.value is not None and expectation.outcome is not OutcomeKind.SOLVED:
        raise LevelError(f"expected no value: only a solved level has one, and the outcome "
                         f"here is {quote(expectation.outcome)}", str(place.key("value")))
    return expectation


def _read_named_zones(value: Any, place: JsonPath) -> list[_NamedZone]:
    return JsonObjectReader(value, place).members()


def _read_zone_tree(value: Any, place: JsonPath, shared_names: set[str]) -> ZoneSpec:
    # Walked with a list rather than by recursion, so that deep nesting meets
    # the engine's limit and not Python's.
    top, inner = _read_zone(value, place)
    pending = [(top, inner)]
    while pending:
        zone, unread = pending.pop()
        for inner_value, inner_place in unread:
            if isinstance(inner_value, dict) and REFERENCE_KEY in inner_value:
                zone.inner.append(_read_reference(inner_value, inner_place, shared_names))
                continue
            inner_zone, its_inner = _read_zone(inner_value, inner_place)
            zone.inner.append(inner_zone)
            pending.append((inner_zone, its_inner))
    return top


def _read_zone(value: Any, place: JsonPath) -> tuple[ZoneSpec, list[_Unread]]:
    """The zone at `place` without its inner zones, and those still unread."""
    zone = JsonObjectReader(value, place).allow_only(ZONE_KEYS)
    spec = ZoneSpec(
        id=zone.required("id", read_text),
        charges=[_read_charge(*element) for element in zone.elements("charges")],
        agents=[_read_agent(*element) for element in zone.elements("agents")],
    )
    return spec, zone.elements("sub_environments")


def _read_charge(value: Any, place: JsonPath) -> ChargeSpec:
    charge = JsonObjectReader(value, place).allow_only(CHARGE_KEYS)
    return ChargeSpec(
        magnitude=charge.required("magnitude", read_finite_number),
        polarity=charge.required("polarity", read_polarity),
        visual_id=charge.required("visual_id", read_text),
    )


def _read_agent(value: Any, place: JsonPath) -> AgentSpec:
    agent = JsonObjectReader(value, place)
    kind = agent.required("kind", read_agent_kind)
    agent.allow_only(AGENT_KEYS + kind.extra_parameters)
    return AgentSpec(
        kind=kind,
        visual_id=agent.required("visual_id", read_text),
        arguments=tuple(agent.required(name, EXTRA_ARGUMENT_READERS[name])
                        for name in kind.extra_parameters),
        repeat=agent.optional("repeat", read_repeat, 1),
    )


def _read_reference(value: Any, place: JsonPath, shared_names: set[str]) -> SharedZoneRef:
    reference = JsonObjectReader(value, place).allow_only((REFERENCE_KEY,))
    name = reference.required(REFERENCE_KEY, read_text)
    name_place = str(place.key(REFERENCE_KEY))
    if name not in shared_names:
        raise LevelError(f"expected the name of a zone in $.shared_zones, found {quote(name)}",
                         name_place)
    return SharedZoneRef(name, name_place)
