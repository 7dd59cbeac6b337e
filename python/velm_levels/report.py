"""The JSON that the engine returns, as types a type checker can follow.

`parse_report(sequencer.next_frame())` gives a `FrameReport`, and
`parse_zone_state(zone.to_json())` a `ZoneState`; with them mypy or pyright
catches a misspelt key such as `report["meta"]["frame_idx"]` before the game
runs. The types describe; they do not check: parsing only makes sure that the
text is the kind of object its type claims, so that a host that passes the
wrong text learns it at once.

Agents are told apart by their `name`: the two gates have titles of their own
and extra keys, so testing `agent["name"] == "Equals Gate"` narrows an agent
to `EqualsGateState`.
"""

import json
from typing import Any, Literal, TypedDict, cast

from velm_levels.json_values import describe, quote_all

Polarity = Literal["positive", "negative", "neutral"]
AgentActivity = Literal["dormant", "active", "frozen"]
ComparisonText = Literal["<", ">", "<=", ">="]
Status = Literal["RUNNING", "FINISHED", "ERROR"]
EventType = Literal["CAST_SPELL", "COLLAPSE_ZONE", "FINISHED"]

# The titles of the eleven kinds that have no keys beyond the common four.
MagicianTitle = Literal[
    "Plus Magician", "Minus Magician", "Multiply Magician", "Divide Magician",
    "The Scavenger", "Power Sorcerer", "The Extractor", "The Replicator",
    "The Purifier", "The Architect", "Chronomancer",
]


class ChargeState(TypedDict):
    """A charge; `magnitude` is None where the engine holds NaN or an infinity."""

    magnitude: float | None
    polarity: Polarity
    visual_id: str


class MagicianState(TypedDict):
    """An agent of one of the eleven kinds without a target."""

    name: MagicianTitle
    priority: int
    state: AgentActivity
    visual_id: str


class EqualsGateState(TypedDict):
    """An Equals Gate; `target_value` is None for a NaN or infinite target."""

    is_open: bool
    name: Literal["Equals Gate"]
    priority: int
    state: AgentActivity
    target_value: float | None
    visual_id: str


class InequalityGateState(TypedDict):
    """An inequality gate ("The Judge") with its comparison."""

    is_open: bool
    name: Literal["The Judge"]
    priority: int
    rule: ComparisonText
    state: AgentActivity
    target_value: float | None
    visual_id: str


AgentState = MagicianState | EqualsGateState | InequalityGateState


class ZoneState(TypedDict):
    """A zone with everything below it, as `Environment.to_json()` writes it."""

    agents: list[AgentState]
    charges: list[ChargeState]
    id: str
    is_time_frozen: bool
    sub_environments: list["ZoneState"]


class Event(TypedDict):
    """What a frame did: an agent acted, a zone merged or the level completed."""

    agent_name: str
    description: str
    type: EventType
    visual_id: str


class FrameMeta(TypedDict):
    """The frame's own part of a report; `last_event` is None when no frame ran."""

    frame_index: int
    last_event: Event | None
    message: str
    status: Status


class FrameReport(ZoneState):
    """What `NarrativeSequencer.next_frame()` returns: the top zone plus `meta`."""

    meta: FrameMeta


def parse_report(text: str) -> FrameReport:
    """The frame report in `text`, the string that `next_frame()` returned.

    Raises ValueError (json.JSONDecodeError for text that is not JSON) when
    the text is not a frame report, such as a zone's `to_json()`.
    """
    report = _parse_zone_object(text, "a frame report")
    if not isinstance(report.get("meta"), dict):
        raise ValueError("expected a frame report; found a zone state without a \"meta\" "
                         "object, as Environment.to_json() writes it")
    return cast(FrameReport, report)


def parse_zone_state(text: str) -> ZoneState:
    """The zone state in `text`, the string that `Environment.to_json()` returned.

    A frame report is a zone state too, and is accepted. Raises ValueError when
    the text is not a zone's state.
    """
    return cast(ZoneState, _parse_zone_object(text, "a zone state"))


def _parse_zone_object(text: str, expected: str) -> dict[str, Any]:
    if not isinstance(text, str):
        raise TypeError(f"expected the JSON text of {expected} as a str, "
                        f"found {type(text).__name__}")
    value = json.loads(text)
    if not isinstance(value, dict):
        raise ValueError(f"expected {expected}, a JSON object; found {describe(value)}")
    missing = [key for key in ZoneState.__annotations__ if key not in value]
    if missing:
        raise ValueError(f"expected {expected}; found an object without "
                         f"{quote_all(missing)}")
    return value
