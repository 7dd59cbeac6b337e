"""Checks on the tree that a level unfolds into once shared zones are placed.

A shared zone is one engine object listed at every place that names it, so
the engine walks it once per place, every frame. A shared zone that holds a
place naming itself would make the tree endless, and zones that place each
other several times multiply: ten such zones nested give over a thousand
places. Both are refused before anything is built, and so are levels whose
unfolded tree holds more agents or charges than a frame can go through
quickly: every frame gathers each agent and reports each charge, at every
place.
"""

from dataclasses import dataclass

from velm_levels.errors import LevelError
from velm_levels.json_values import quote
from velm_levels.level_model import LevelSpec, SharedZoneRef, ZoneSpec

# Far beyond any hand-made level, and small enough that every frame stays quick.
MAX_ZONE_PLACES = 10_000
# A level plays at most 1000 frames; ten times as many agents, or charges, all
# walked in every frame, is far beyond a puzzle and still plays in seconds.
MAX_AGENTS = 10_000
MAX_CHARGES = 10_000


@dataclass(frozen=True)
class _Unfolded:
    """What the tree below and including one zone holds, every place counted."""

    zones: int
    agents: int
    charges: int

    def __add__(self, other: "_Unfolded") -> "_Unfolded":
        return _Unfolded(self.zones + other.zones, self.agents + other.agents,
                         self.charges + other.charges)


def check_zone_graph(level: LevelSpec) -> None:
    """Raises LevelError when a shared zone would contain itself or when the
    unfolded tree would hold more than MAX_ZONE_PLACES zones, MAX_AGENTS agents
    (each repeat counted) or MAX_CHARGES charges."""

    def target(inner: ZoneSpec | SharedZoneRef) -> ZoneSpec:
        return level.shared_zones[inner.name] if isinstance(inner, SharedZoneRef) else inner

    # Depth first, with an explicit stack: `surrounding` holds the zones on the
    # path from the top to the zone being walked, `unfolded` the totals of each
    # zone already walked (shared ones are walked once).
    unfolded: dict[int, _Unfolded] = {}
    surrounding = {id(level.zone)}
    stack = [(level.zone, iter(level.zone.inner))]
    while stack:
        zone, unwalked = stack[-1]
        inner = next(unwalked, None)
        if inner is None:
            stack.pop()
            surrounding.discard(id(zone))
            totals = sum((unfolded[id(target(each))] for each in zone.inner), _own_contents(zone))
            _check_caps(totals)
            unfolded[id(zone)] = totals
            continue
        walked = target(inner)
        if id(walked) in unfolded:
            continue
        if isinstance(inner, SharedZoneRef) and id(walked) in surrounding:
            raise LevelError(f"expected a zone that does not surround this place, found "
                             f"{quote(inner.name)}, which would then contain itself", inner.place)
        surrounding.add(id(walked))
        stack.append((walked, iter(walked.inner)))


def _own_contents(zone: ZoneSpec) -> _Unfolded:
    return _Unfolded(1, sum(agent.repeat for agent in zone.agents), len(zone.charges))


def _check_caps(totals: _Unfolded) -> None:
    # Checked zone by zone on the way up, so a tree that multiplies is refused
    # as soon as one part of it is too large; the count found is then a floor.
    if totals.zones > MAX_ZONE_PLACES:
        raise LevelError(f"expected at most {MAX_ZONE_PLACES} zones once every shared "
                         "zone is counted at each of its places, found more", "$.zone")
    if totals.agents > MAX_AGENTS:
        raise LevelError(f"expected at most {MAX_AGENTS} agents once every repeat is unfolded "
                         "and every shared zone is counted at each of its places, "
                         f"found at least {totals.agents}", "$.zone")
    if totals.charges > MAX_CHARGES:
        raise LevelError(f"expected at most {MAX_CHARGES} charges once every shared zone "
                         f"is counted at each of its places, found at least {totals.charges}",
                         "$.zone")
