"""What a played level came to, told from its final frame report.

The engine ends every level it completes with "Equation Resolved.", whether
the top zone came down to one charge or agents and zones are still waiting;
the outcome tells the two apart. `outcome_of` reads nothing but the parsed
report, so any presenter of a level (the player, `check`, a replay page) can
use it on the report that ended a play.
"""

from collections.abc import Callable, Mapping
from dataclasses import dataclass
from enum import StrEnum
from typing import Any

from velm_levels.signed_expression import signed_expression
from velm_levels.terminal_text import shown

# Long lists of zones are cut here in closing lines; the count is kept.
SHOWN_ZONES = 5
_SIGN_OF_POLARITY = {"positive": 1.0, "negative": -1.0}


class OutcomeKind(StrEnum):
    SOLVED = "solved"
    STALLED = "stalled"
    FRAME_LIMIT = "frame limit"
    UNPLAYABLE = "unplayable"


@dataclass(frozen=True)
class Remains:
    """What a level still holds when it ended without being solved."""

    # Zones that still hold agents, by id in the order the tree lists them,
    # with how many agents each holds (a zone at several places counts at each).
    agents: tuple[tuple[str, int], ...]
    # Every inner zone still in the tree, at any depth, by id.
    unmerged_zones: tuple[str, ...]
    top_zone: str
    # The top zone's charges as a signed sum, such as "+5 + 14".
    top_charges: str

    @property
    def agent_count(self) -> int:
        return sum(count for _, count in self.agents)


@dataclass(frozen=True)
class Outcome:
    kind: OutcomeKind
    # Running frames played, the final report's frame index; 0 when unplayable.
    frames: int = 0
    # A solved level's last charge with the sign its polarity gives, or None
    # when it is not finite (reports write NaN and the infinities as null).
    # A neutral charge has no sign of its own: its magnitude is its value.
    value: float | None = None
    # That charge as the narration writes it, such as "+14" or "±0".
    shown_value: str = ""
    remains: Remains | None = None
    # Why an unplayable level could not be played.
    message: str = ""


def outcome_of(report: Mapping[str, Any]) -> Outcome:
    """The outcome of a level whose last frame report, parsed, is `report`.

    Raises ValueError for a report of a level still running.
    """
    meta = report["meta"]
    frames = meta["frame_index"]
    if meta["status"] == "ERROR":
        return Outcome(OutcomeKind.FRAME_LIMIT, frames, remains=_remains(report))
    if meta["status"] != "FINISHED":
        raise ValueError(f"the level is still running at frame {frames}")
    charges = report["charges"]
    if len(charges) != 1 or report["agents"] or report["sub_environments"]:
        return Outcome(OutcomeKind.STALLED, frames, remains=_remains(report))
    return Outcome(OutcomeKind.SOLVED, frames, value=_signed_value(charges[0]),
                   shown_value=signed_expression(charges))


def unplayable(message: str) -> Outcome:
    """The outcome of a level that could not be loaded, for the reason `message`."""
    return Outcome(OutcomeKind.UNPLAYABLE, message=message)


def describe(outcome: Outcome, show: Callable[[str], str] = shown) -> str:
    """The outcome in one line, such as "solved in 4 frames: +14"; `show`
    writes each zone id (by default quoted when it does not print cleanly)."""
    if outcome.kind is OutcomeKind.UNPLAYABLE:
        return f"unplayable: {outcome.message}"
    frames = f"{outcome.frames} frame" + ("" if outcome.frames == 1 else "s")
    if outcome.kind is OutcomeKind.SOLVED:
        return f"solved in {frames}: {outcome.shown_value}"
    assert outcome.remains is not None
    return f"{outcome.kind} after {frames}: {describe_remains(outcome.remains, show)}"


def describe_remains(remains: Remains, show: Callable[[str], str] = shown) -> str:
    """What is left, such as "2 agents left (Citadel: 1, Vault: 1); not merged:
    Vault; Citadel holds +5 + 14"."""
    parts = []
    if remains.agents:
        count = remains.agent_count
        where = _listed([f"{show(zone)}: {agents}" for zone, agents in remains.agents])
        parts.append(f"{count} agent{'' if count == 1 else 's'} left ({where})")
    if remains.unmerged_zones:
        parts.append(f"not merged: {_listed([show(zone) for zone in remains.unmerged_zones])}")
    parts.append(f"{show(remains.top_zone)} holds {remains.top_charges}")
    return "; ".join(parts)


def _listed(items: list[str]) -> str:
    if len(items) <= SHOWN_ZONES:
        return ", ".join(items)
    return ", ".join(items[:SHOWN_ZONES]) + f" and {len(items) - SHOWN_ZONES} more"


def _signed_value(charge: Mapping[str, Any]) -> float | None:
    magnitude = charge["magnitude"]
    if magnitude is None:
        return None
    return _SIGN_OF_POLARITY.get(charge["polarity"], 1.0) * float(magnitude)


def _remains(report: Mapping[str, Any]) -> Remains:
    # Walked with a list rather than by recursion: reports nest deeper than
    # Python's recursion limit.
    agents: dict[str, int] = {}
    unmerged: list[str] = []
    pending = [report]
    while pending:
        zone = pending.pop()
        if zone is not report:
            unmerged.append(zone["id"])
        if zone["agents"]:
            agents[zone["id"]] = agents.get(zone["id"], 0) + len(zone["agents"])
        pending.extend(reversed(zone["sub_environments"]))
    return Remains(tuple(agents.items()), tuple(unmerged), report["id"],
                   signed_expression(report["charges"]))
