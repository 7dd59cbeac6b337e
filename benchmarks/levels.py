"""Level shapes for the benchmarks, each built at a chosen size.

Every builder returns a fresh root zone, so a level can be played from its
first frame as often as a measurement needs. The magnitudes and polarities
vary from charge to charge so that the reports hold fractions, exponents and
all three polarity texts, as real levels do.
"""

import velm_engine as velm

from velm_levels import make
from velm_levels.agent_kinds import AGENT_KINDS

_WORKED_EXAMPLE = make("worked_example")
POLARITY_CYCLE = (velm.POSITIVE, velm.NEGATIVE, velm.NEUTRAL, velm.POSITIVE)


def _magnitude(index):
    # Whole numbers, quarters and a few large values that print with an exponent.
    if index % 11 == 0:
        return 1.5e17 + index
    return (index % 97) * 0.25 + 1


def _add_charges(zone, count, prefix):
    for index in range(count):
        zone.add_charge(_magnitude(index), POLARITY_CYCLE[index % 4], f"{prefix}q{index}")


def worked(_size=1):
    """The four-frame worked example, the bundled level; it has one size."""
    return _WORKED_EXAMPLE.build_zone()


def wide(zones):
    """A root over `zones` inner zones of 5 charges and 3 agents each."""
    root = velm.Environment("root")
    root.add_plus_magician("total")
    for index in range(zones):
        inner = velm.Environment(f"zone{index}")
        _add_charges(inner, 5, f"z{index}")
        inner.add_abs_magician(f"abs{index}")
        inner.add_multiply_magician(f"mul{index}")
        inner.add_plus_magician(f"sum{index}")
        root.add_sub_environment(inner)
    return root


def deep(levels):
    """A chain of `levels` zones, each inside the one before, each with one
    charge and an adder; the innermost starts with two charges. Every zone
    then takes two frames: its adder acts, then it merges into its parent."""
    root = velm.Environment("level0")
    outer = root
    for depth in range(levels):
        innermost = depth + 1 == levels
        _add_charges(outer, 2 if innermost else 1, f"d{depth}")
        outer.add_plus_magician(f"sum{depth}")
        if not innermost:
            inner = velm.Environment(f"level{depth + 1}")
            outer.add_sub_environment(inner)
            outer = inner
    return root


# The crowd cycles through every kind, so that priorities range from 0 (gates)
# to 100 (the Chronomancer, which never acts); the gates get targets that the
# crowd's charges do not meet at first.
_CROWD_KINDS = tuple(AGENT_KINDS.values())
_GATE_ARGUMENTS = {"equals_gate": (7.0,), "inequality_gate": (1e6, "<")}


def crowd(agents):
    """One zone with 8 charges and `agents` agents of all kinds and priorities."""
    zone = velm.Environment("crowd")
    _add_charges(zone, 8, "c")
    for index in range(agents):
        kind = _CROWD_KINDS[index % len(_CROWD_KINDS)]
        kind.add_to(zone, f"a{index}", *_GATE_ARGUMENTS.get(kind.name, ()))
    return zone


def charges(count):
    """One zone with `count` charges and three agents that each work on a few."""
    zone = velm.Environment("heap")
    _add_charges(zone, count, "")
    zone.add_abs_magician("purifier")
    zone.add_power_sorcerer("power")
    zone.add_modulo_magician("modulo")
    return zone
