"""The ten arithmetic magicians, each played as the only agent of a one-zone level.

In such a level the first frame either has the agent act ("CAST_SPELL") or,
when it declines, completes the level ("FINISHED") with the zone untouched.
"""

import json
import math

import pytest

import velm_engine as ve

from velm_levels.agent_kinds import AGENT_KINDS

INF = math.inf
NAN = math.nan

# Polarity shorthands used in the tables; "odd" is a value outside the enum,
# which every kind must read as NEUTRAL.
POLARITIES = {
    "P": ve.POSITIVE,
    "N": ve.NEGATIVE,
    "U": ve.NEUTRAL,
    "odd": ve.ChargePolarity(7),
}
POLARITY_TEXT = {"P": "positive", "N": "negative", "U": "neutral", "odd": "neutral"}

# The ten kinds that work on charges: all but the Chronomancer and the gates.
MAGICIANS = [name for name, kind in AGENT_KINDS.items()
             if not kind.extra_parameters and name != "chronomancer"]


def build_level(kind, charges):
    """Zone "z" with the given (magnitude, polarity key) charges, named c0, c1, ...,
    and one agent of `kind` added as "a"."""
    env = ve.Environment("z")
    for index, (magnitude, polarity) in enumerate(charges):
        env.add_charge(magnitude, POLARITIES[polarity], f"c{index}")
    AGENT_KINDS[kind].add_to(env, "a")
    return env


def play_first_frame(kind, charges):
    env = build_level(kind, charges)
    report = json.loads(ve.NarrativeSequencer(env).next_frame())
    return env, report


def assert_magnitude(printed, stored, expected):
    """Finite values print exactly; NaN and infinities print as null but stay stored."""
    if math.isfinite(expected):
        assert printed == expected and stored == expected
    else:
        assert printed is None
        assert math.isnan(stored) if math.isnan(expected) else stored == expected


def assert_acts(kind, charges, expected):
    """The agent acts; `expected` is the whole list afterwards as (magnitude, polarity key)
    pairs, where the charges in front keep their ids and the last is the named result."""
    env, report = play_first_frame(kind, charges)
    title, prefix = AGENT_KINDS[kind].title, AGENT_KINDS[kind].result_prefix
    assert prefix is not None, f"{title} appends no charge"
    assert report["meta"]["last_event"] == {
        "agent_name": title,
        "description": f"{title} executed operation in z",
        "type": "CAST_SPELL",
        "visual_id": "a",
    }
    assert report["agents"] == []
    printed, stored = report["charges"], env.charges
    assert len(printed) == len(expected)
    for index, (magnitude, polarity) in enumerate(expected):
        assert_magnitude(printed[index]["magnitude"], stored[index].magnitude, magnitude)
        assert printed[index]["polarity"] == POLARITY_TEXT[polarity]
    expected_ids = [f"c{i}" for i in range(len(expected) - 1)] + [prefix + "a"]
    assert [charge["visual_id"] for charge in printed] == expected_ids


@pytest.mark.parametrize("kind, charges, result", [
    ("plus_magician", [(3, "P"), (5, "N")], (2.0, "N")),
    ("plus_magician", [(2, "P"), (2, "N")], (0.0, "P")),
    ("plus_magician", [(10, "P"), (4, "U")], (6.0, "P")),
    ("plus_magician", [(10, "P"), (4, "odd")], (6.0, "P")),
    ("plus_magician", [(INF, "P"), (INF, "N")], (NAN, "N")),
    ("minus_magician", [(10, "P"), (3, "P"), (2, "P")], (5.0, "P")),
    ("minus_magician", [(3, "P"), (10, "P")], (7.0, "N")),
    ("minus_magician", [(3, "P"), (4, "U")], (7.0, "P")),
    ("minus_magician", [(3, "N"), (4, "N")], (1.0, "P")),
])
def test_sum_and_difference_use_sign_rule(kind, charges, result):
    assert_acts(kind, charges, [result])


@pytest.mark.parametrize("kind, charges, result", [
    ("multiply_magician", [(2, "N"), (3, "P")], (6.0, "N")),
    ("multiply_magician", [(2, "N"), (3, "N")], (6.0, "P")),
    ("multiply_magician", [(0, "P"), (5, "N")], (0.0, "U")),
    ("multiply_magician", [(2, "U"), (3, "odd")], (6.0, "P")),
    ("multiply_magician", [(-2, "P"), (3, "P")], (-6.0, "P")),
    ("multiply_magician", [(INF, "P"), (0, "P")], (NAN, "P")),
    ("divide_magician", [(10, "P"), (4, "P")], (2.5, "P")),
    ("divide_magician", [(4, "P"), (10, "P")], (0.4, "P")),
    ("divide_magician", [(100, "N"), (5, "P"), (2, "N")], (10.0, "P")),
    ("divide_magician", [(1, "P"), (1e10, "P")], (1e-10, "U")),
    ("divide_magician", [(-10, "P"), (4, "P")], (-2.5, "P")),
])
def test_product_and_quotient_use_parity_rule(kind, charges, result):
    assert_acts(kind, charges, [result])


@pytest.mark.parametrize("charges, expected", [
    ([(7, "P"), (3, "P")], [(1.0, "P")]),
    ([(3, "P"), (7, "P")], [(3.0, "P")]),
    ([(-7, "P"), (3, "N")], [(-1.0, "P")]),
    ([(1, "U"), (7, "P"), (3, "P")], [(1.0, "U"), (1.0, "P")]),
    ([(INF, "P"), (3, "P")], [(NAN, "P")]),
])
def test_modulo_takes_second_to_last_modulo_last(charges, expected):
    assert_acts("modulo_magician", charges, expected)


@pytest.mark.parametrize("charges, expected", [
    ([(2, "P"), (3, "P")], [(8.0, "P")]),
    ([(3, "P"), (2, "P")], [(9.0, "P")]),
    ([(2, "N"), (3, "P")], [(8.0, "N")]),
    ([(2, "P"), (3, "N")], [(0.125, "P")]),
    ([(5, "P"), (2, "U")], [(25.0, "P")]),
    ([(2, "N"), (0.5, "P")], [(NAN, "U")]),
    ([(0, "P"), (2, "N")], [(INF, "P")]),
    ([(NAN, "P"), (0, "P")], [(1.0, "P")]),
    ([(0, "P"), (3, "P")], [(0.0, "U")]),
    ([(9, "N"), (2, "P"), (3, "P")], [(9.0, "N"), (8.0, "P")]),
])
def test_power_raises_second_to_last_to_last(charges, expected):
    assert_acts("power_sorcerer", charges, expected)


@pytest.mark.parametrize("charges, expected", [
    ([(9, "P")], [(3.0, "P")]),
    ([(9, "U")], [(3.0, "P")]),
    ([(-4, "P")], [(NAN, "P")]),
    ([(3, "P"), (8, "P")], [(2.0, "P")]),
    ([(2, "N"), (16, "N")], [(4.0, "P")]),
    ([(0, "P"), (5, "P")], [(INF, "P")]),
    # A negative radicand under an odd whole degree has a real root.
    ([(3, "P"), (-8, "P")], [(-2.0, "P")]),
    ([(1, "P"), (-8, "P")], [(-8.0, "P")]),
    ([(-3, "P"), (-8, "P")], [(-0.5, "P")]),
    ([(3, "P"), (-INF, "P")], [(-INF, "P")]),
    # An odd truncation that is not whole is no root of a negative number.
    ([(3.5, "P"), (-8, "P")], [(NAN, "P")]),
    ([(-1.5, "P"), (-8, "P")], [(NAN, "P")]),
])
def test_root_of_last_charge_or_last_two(charges, expected):
    assert_acts("root_magician", charges, expected)


@pytest.mark.parametrize("magnitude, polarity, result", [
    (5, "P", 120.0),
    (4, "U", 24.0),
    (3, "odd", 6.0),
    (3.7, "P", 6.0),
    (0, "P", 1.0),
    (170, "P", 7.257415615307994e306),
    # Floors of 171 and beyond overflow, also past the 32-bit range.
    (171, "P", INF),
    (3e9, "P", INF),
    (INF, "P", INF),
    # Floors of zero and below give the empty product, also past the 32-bit range.
    (-0.5, "P", 1.0),
    (-3e9, "U", 1.0),
    (-INF, "P", 1.0),
    (NAN, "P", NAN),
])
def test_factorial_of_floor_of_last_charge(magnitude, polarity, result):
    assert_acts("factorial_magician", [(2, "N"), (magnitude, polarity)],
                [(2.0, "N"), (result, "P")])


@pytest.mark.parametrize("charges, expected", [
    ([(100, "P")], [(2.0, "P")]),
    ([(0.01, "P")], [(2.0, "N")]),
    ([(2, "P"), (8, "N")], [(3.0, "P")]),
    ([(4, "P"), (2, "P")], [(0.5, "P")]),
    ([(7, "P"), (0.5, "P"), (4, "P")], [(7.0, "P"), (2.0, "N")]),
    ([(NAN, "P")], [(NAN, "N")]),
    ([(NAN, "P"), (8, "P")], [(NAN, "N")]),
])
def test_logarithm_of_last_to_base_of_second_to_last(charges, expected):
    assert_acts("log_magician", charges, expected)


@pytest.mark.parametrize("charges, expected", [
    (
        [(3, "N"), (4, "P"), (5, "U"), (6, "odd")],
        [(3.0, "positive", "purified_c0"), (4.0, "positive", "c1"),
         (5.0, "neutral", "c2"), (6.0, "neutral", "c3")],
    ),
    ([(-3, "N")], [(-3.0, "positive", "purified_c0")]),
    ([(4, "P")], [(4.0, "positive", "c0")]),
])
def test_purifier_turns_negative_charges_positive_in_place(charges, expected):
    _, report = play_first_frame("abs_magician", charges)
    assert report["meta"]["last_event"]["type"] == "CAST_SPELL"
    assert report["agents"] == []
    assert [(c["magnitude"], c["polarity"], c["visual_id"]) for c in report["charges"]] == expected


@pytest.mark.parametrize("kind, charges", [
    *[(kind, []) for kind in MAGICIANS],
    *[(kind, [(4, "P")]) for kind in ("plus_magician", "minus_magician", "multiply_magician",
                                      "divide_magician", "modulo_magician", "power_sorcerer")],
    ("divide_magician", [(10, "P"), (5, "P"), (0, "P")]),
    ("divide_magician", [(10, "P"), (5e-10, "N"), (2, "P")]),
    ("modulo_magician", [(7, "P"), (0, "P")]),
    ("modulo_magician", [(7, "P"), (-5e-10, "P")]),
    ("root_magician", [(9, "N")]),
    ("root_magician", [(2, "P"), (-4, "P")]),
    ("root_magician", [(4.5, "P"), (-8, "P")]),
    ("root_magician", [(0, "P"), (-8, "P")]),
    ("root_magician", [(NAN, "P"), (-8, "P")]),
    ("root_magician", [(3e9, "P"), (-8, "P")]),
    ("root_magician", [(-3e9, "P"), (-8, "P")]),
    ("factorial_magician", [(1, "P"), (5, "N")]),
    ("log_magician", [(0, "P")]),
    ("log_magician", [(-1, "P")]),
    ("log_magician", [(2, "P"), (0, "P")]),
    ("log_magician", [(1, "P"), (8, "P")]),
    ("log_magician", [(0, "P"), (8, "P")]),
])
def test_declining_agent_leaves_zone_untouched(kind, charges):
    env = build_level(kind, charges)
    before = json.loads(env.to_json())
    report = json.loads(ve.NarrativeSequencer(env).next_frame())
    assert report["meta"]["last_event"]["type"] == "FINISHED"
    assert report["charges"] == before["charges"]
    assert report["agents"] == before["agents"]
    assert report["agents"][0]["state"] == "dormant"
