"""Building the engine's zone tree for a checked level, through the public API."""

from velm_engine import Environment

from velm_levels.level_model import LevelSpec, SharedZoneRef, ZoneSpec


def build_zone_tree(level: LevelSpec) -> Environment:
    """The top zone of `level`, with everything in it added in file order.

    A shared zone is built once, at its first place, and the same object is
    added at each further place. `level` must have passed check_zone_graph:
    a shared zone that contains itself would make the engine refuse the add.
    """
    shared: dict[str, Environment] = {}
    top = Environment(level.zone.id)
    # A zone is added to its parent before it is filled; the tree is shared,
    # not copied, so the parent sees what is added afterwards.
    unfilled: list[tuple[ZoneSpec, Environment]] = [(level.zone, top)]
    while unfilled:
        spec, zone = unfilled.pop()
        _add_contents(zone, spec)
        for inner in spec.inner:
            inner_zone, still_to_fill = _zone_for_place(inner, level, shared)
            zone.add_sub_environment(inner_zone)
            if still_to_fill is not None:
                unfilled.append((still_to_fill, inner_zone))
    return top


def _zone_for_place(inner: ZoneSpec | SharedZoneRef, level: LevelSpec,
                    shared: dict[str, Environment]) -> tuple[Environment, ZoneSpec | None]:
    """The zone to add at one place of the tree, and its description when the
    zone is new and still has to be filled."""
    if isinstance(inner, ZoneSpec):
        return Environment(inner.id), inner
    if inner.name in shared:
        return shared[inner.name], None
    spec = level.shared_zones[inner.name]
    shared[inner.name] = Environment(spec.id)
    return shared[inner.name], spec


def _add_contents(zone: Environment, spec: ZoneSpec) -> None:
    for charge in spec.charges:
        zone.add_charge(charge.magnitude, charge.polarity, charge.visual_id)
    for agent in spec.agents:
        for _ in range(agent.repeat):
            agent.kind.add_to(zone, agent.visual_id, *agent.arguments)
