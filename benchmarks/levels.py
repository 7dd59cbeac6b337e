"""Level shapes for the benchmarks, each built at a chosen size.

Every builder returns a fresh root zone, so a level can be played from its
first frame as often as a measurement needs. The magnitudes and polarities
vary from charge to charge so that the reports hold fractions, exponents and
all three polarity texts, as real levels do.
"""

import velm_engine as velm

POLARITY_CYCLE = (velm.POSITIVE, velm.NEGATIVE, velm.NEUTRAL, velm.POSITIVE)


def _magnitude(index):
    # Whole numbers, quarters and a few large values that print with an exponent.
    if index % 11 == 0:
        return 1.5e17 + index
    return (index % 97) * 0.25 + 1


def _add_charges(zone, count, prefix):
    for index in range(count):
        zone.add_charge(_magnitude(index), POLARITY_CYCLE[index % 4], f"{prefix}q{index}")


def worked(copies):
    """The four-frame worked example with `copies` inner zones instead of one;
    a single copy is the example exactly."""
    top = velm.Environment("Top")
    top.add_charge(2, velm.POSITIVE, "two")
    top.add_plus_magician("p1")
    for index in range(copies):
        inner = velm.Environment("Inner" if copies == 1 else f"Inner{index}")
        inner.add_charge(3, velm.POSITIVE, "three")
        inner.add_charge(4, velm.POSITIVE, "four")
        inner.add_multiply_magician("m1" if copies == 1 else f"m{index}")
        top.add_sub_environment(inner)
    return top


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


# Adders for the crowd, cycling through every kind so that priorities range
# from 0 (gates) to 100 (the Chronomancer, which never acts).
_CROWD_KINDS = (
    lambda zone, name: zone.add_plus_magician(name),
    lambda zone, name: zone.add_minus_magician(name),
    lambda zone, name: zone.add_multiply_magician(name),
    lambda zone, name: zone.add_divide_magician(name),
    lambda zone, name: zone.add_modulo_magician(name),
    lambda zone, name: zone.add_power_sorcerer(name),
    lambda zone, name: zone.add_root_magician(name),
    lambda zone, name: zone.add_factorial_magician(name),
    lambda zone, name: zone.add_abs_magician(name),
    lambda zone, name: zone.add_log_magician(name),
    lambda zone, name: zone.add_chronomancer(name),
    lambda zone, name: zone.add_equals_gate(name, 7.0),
    lambda zone, name: zone.add_inequality_gate(name, 1e6, "<"),
)


def crowd(agents):
    """One zone with 8 charges and `agents` agents of all kinds and priorities."""
    zone = velm.Environment("crowd")
    _add_charges(zone, 8, "c")
    for index in range(agents):
        _CROWD_KINDS[index % len(_CROWD_KINDS)](zone, f"a{index}")
    return zone


def charges(count):
    """One zone with `count` charges and three agents that each work on a few."""
    zone = velm.Environment("heap")
    _add_charges(zone, count, "")
    zone.add_abs_magician("purifier")
    zone.add_power_sorcerer("power")
    zone.add_modulo_magician("modulo")
    return zone
