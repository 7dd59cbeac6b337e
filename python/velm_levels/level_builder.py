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
            if isinstance(inner, SharedZoneRef) and inner.name in shared:
                zone.add_sub_environment(shared[inner.name])
                continue
            inner_spec = level.shared_zones[inner.name] if isinstance(inner, SharedZoneRef) else inner
            inner_zone = Environment(inner_spec.id)
            if isinstance(inner, SharedZoneRef):
                shared[inner.name] = inner_zone
            zone.add_sub_environment(inner_zone)
            unfilled.append((inner_spec, inner_zone))
    return top


def _add_contents(zone: Environment, spec: ZoneSpec) -> None:
    for charge in spec.charges:
        zone.add_charge(charge.magnitude, charge.polarity, charge.visual_id)
    for agent in spec.agents:
        for _ in range(agent.repeat):
            agent.kind.add_to(zone, agent.visual_id, *agent.arguments)
