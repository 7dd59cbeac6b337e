"""A level as its file describes it, checked but not yet built."""

from dataclasses import dataclass, field

from velm_engine import ChargePolarity

from velm_levels.agent_kinds import AgentKind
from velm_levels.expectation import Expectation


@dataclass(frozen=True)
class ChargeSpec:
    """A charge to put into a zone."""

    magnitude: float
    polarity: ChargePolarity
    visual_id: str


@dataclass(frozen=True)
class AgentSpec:
    """`repeat` agents of one kind, all alike, to put into a zone."""

    kind: AgentKind
    visual_id: str
    arguments: tuple[float | str, ...]
    repeat: int


@dataclass(frozen=True)
class SharedZoneRef:
    """A place that holds the shared zone `name`; `place` is where the file names it."""

    name: str
    place: str


@dataclass
class ZoneSpec:
    """A zone with its contents; `inner` lists its inner zones in order."""

    id: str
    charges: list[ChargeSpec] = field(default_factory=list)
    agents: list[AgentSpec] = field(default_factory=list)
    inner: list["ZoneSpec | SharedZoneRef"] = field(default_factory=list)


@dataclass
class LevelSpec:
    """A whole level: its title, its top zone, the zones it shares by name and
    what its author expects it to come to, if the file says, and the author's
    notes."""

    title: str
    zone: ZoneSpec
    shared_zones: dict[str, ZoneSpec]
    expect: Expectation | None = None
    notes: str = ""
