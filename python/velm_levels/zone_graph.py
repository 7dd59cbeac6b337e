"""Checks on the tree that a level unfolds into once shared zones are placed.

A shared zone is one engine object listed at every place that names it, so
the engine walks it once per place, every frame. A shared zone that holds a
place naming itself would make the tree endless, and zones that place each
other several times multiply: ten such zones nested give over a thousand
places. Both are refused before anything is built.
"""

from velm_levels.errors import LevelError
from velm_levels.json_values import quote
from velm_levels.level_model import LevelSpec, SharedZoneRef, ZoneSpec

# Far beyond any hand-made level, and small enough that every frame stays quick.
MAX_ZONE_PLACES = 10_000


def check_zone_graph(level: LevelSpec) -> None:
    """Raises LevelError when a shared zone would contain itself or when the
    unfolded tree would hold more than MAX_ZONE_PLACES zones."""

    def target(inner: ZoneSpec | SharedZoneRef) -> ZoneSpec:
        return level.shared_zones[inner.name] if isinstance(inner, SharedZoneRef) else inner

    # Depth first, with an explicit stack: `surrounding` holds the zones on the
    # path from the top to the zone being walked, `places` the size of the
    # unfolded tree of each zone already walked (shared ones are walked once).
    places: dict[int, int] = {}
    surrounding = {id(level.zone)}
    stack = [(level.zone, iter(level.zone.inner))]
    while stack:
        zone, unwalked = stack[-1]
        inner = next(unwalked, None)
        if inner is None:
            stack.pop()
            surrounding.discard(id(zone))
            places[id(zone)] = 1 + sum(places[id(target(each))] for each in zone.inner)
            if places[id(zone)] > MAX_ZONE_PLACES:
                raise LevelError(f"expected at most {MAX_ZONE_PLACES} zones once every shared "
                                 "zone is counted at each of its places, found more", "$.zone")
            continue
        walked = target(inner)
        if id(walked) in places:
            continue
        if isinstance(inner, SharedZoneRef) and id(walked) in surrounding:
            raise LevelError(f"expected a zone that does not surround this place, found "
                             f"{quote(inner.name)}, which would then contain itself", inner.place)
        surrounding.add(id(walked))
        stack.append((walked, iter(walked.inner)))
