"""Frame reports told as text: what happened, and the charges of every zone."""

from collections.abc import Mapping
from typing import Any

from velm_levels.signed_expression import signed_expression
from velm_levels.terminal_text import shown

_INDENT = "  "
# How the engine words its events around the zone's id.
_CAST_SPELL_MIDDLE = " executed operation in "
_MERGE_PREFIX, _MERGE_SUFFIX = "Zone ", " has resolved and merged."


def narrate_frame(report: Mapping[str, Any]) -> list[str]:
    """The lines that tell one parsed frame report: a heading with the frame
    index, the event (or the status when there was none) and its text, then
    one line per zone, indented by depth, with its charges as a signed sum."""
    return [_heading(report["meta"]), *_zone_lines(report)]


def narrate_ending(report: Mapping[str, Any]) -> str:
    """The closing line for the report that ended a level."""
    meta = report["meta"]
    return f"Level ended at frame {meta['frame_index']} with {meta['status']}: {meta['message']}"


def _heading(meta: Mapping[str, Any]) -> str:
    event = meta["last_event"]
    if event is None:
        return f"Frame {meta['frame_index']} | {meta['status']} | {meta['message']}"
    heading = f"Frame {meta['frame_index']} | {event['type']} | {_event_text(event)}"
    if event["type"] == "CAST_SPELL":
        heading += f" [{shown(event['visual_id'])}]"
    return heading


def _event_text(event: Mapping[str, Any]) -> str:
    """The event's description with the zone id in it shown as zone lines show
    it, so that an id holding a line break cannot forge a heading."""
    description: str = event["description"]
    cast_prefix = f"{event['agent_name']}{_CAST_SPELL_MIDDLE}"
    if event["type"] == "CAST_SPELL" and description.startswith(cast_prefix):
        return cast_prefix + shown(description.removeprefix(cast_prefix))
    if (event["type"] == "COLLAPSE_ZONE" and description.startswith(_MERGE_PREFIX)
            and description.endswith(_MERGE_SUFFIX)
            and len(description) >= len(_MERGE_PREFIX) + len(_MERGE_SUFFIX)):
        zone_id = description[len(_MERGE_PREFIX):-len(_MERGE_SUFFIX)]
        return _MERGE_PREFIX + shown(zone_id) + _MERGE_SUFFIX
    return shown(description)


def _zone_lines(report: Mapping[str, Any]) -> list[str]:
    # Walked with a list rather than by recursion: the engine reports trees
    # nested far deeper than Python's recursion limit.
    lines = []
    pending = [(report, 1)]
    while pending:
        zone, depth = pending.pop()
        lines.append(f"{_INDENT * depth}{shown(zone['id'])}: "
                     f"{signed_expression(zone['charges'])}{_remarks(zone)}")
        pending.extend((inner, depth + 1) for inner in reversed(zone["sub_environments"]))
    return lines


def _remarks(zone: Mapping[str, Any]) -> str:
    remarks = []
    if zone["is_time_frozen"]:
        remarks.append("frozen")
    if agents := len(zone["agents"]):
        remarks.append(f"{agents} agent" if agents == 1 else f"{agents} agents")
    return f"  [{', '.join(remarks)}]" if remarks else ""
