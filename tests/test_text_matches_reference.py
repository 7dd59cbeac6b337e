"""Every JSON text equals the JSON library's dump() of the engine's JSON value.

The module writes its texts straight from the level; `velm_reference_text`
(built for the tests only) dumps the JSON values that the engine's to_json()
functions and the sequencer's next_frame() build. The two must agree byte for
byte, and when a text cannot be written both must fail the same way.
"""
import math
import struct

import pytest
from hypothesis import given, strategies as st

import velm_engine as velm
import velm_reference_text as reference
from level_model import KINDS

EDGE_NUMBERS = [
    0.0, -0.0, 5e-324, -5e-324, 2.225073858507201e-308, 2.2250738585072014e-308,
    1e-5, 1.0000000000000001e-5, 9.999999999999999e-6, 0.0001, 0.001, 0.1, 1 / 3, 2 / 3,
    1.0, 5.0, -3.0, 0.5, 123.456, 1e15, 999999999999999.9, 1e16, 9999999999999998.0,
    1e17, 1.5e17, 123456789012345680.0, 1e21, 1e22, 1e100, 1e300, -1e300,
    1.7976931348623157e308, -1.7976931348623157e308, 4.9406564584124654e-324,
    math.nan, -math.nan, math.inf, -math.inf, 2.0**53, 2.0**53 + 2, 2.0**-1074 * 3,
]

EDGE_TEXTS = [
    b"", b"a", b"ab", b"abc", b"abcd", b"abcdefg", b"abcdefgh", b"abcdefghi", b"x" * 16, b"y" * 17,
    "é".encode(), "😀".encode(), "\u2028".encode(), "a\u00a0b".encode(), b"\xed\xa0\x80",
    b"\xc0\xaf", b"\xf4\x90\x80\x80", b"\xe2\x82", b"ab\xc3", b"\xff", b"tab\there", b"  ",
    b'say "hi"', b"back\\slash", bytes(range(32)), b"\x7f",
]
# Bytes that need escaping or checking, placed at every position of texts of
# the lengths around which the writer changes how it reads a string.
SPECIAL_BYTES = [b'"', b"\\", b"\x00", b"\x01", b"\x1f", b"\x7f", b"\x80", b"\xff", b"\n", b"\xc3\xa9"]


def outcome(write, *arguments):
    """The text that `write` returns, or the type and message of its error."""
    try:
        return write(*arguments)
    except Exception as error:  # noqa: BLE001 - the failure itself is compared
        return type(error), str(error)


def assert_same_text(ours, theirs, *arguments):
    assert outcome(ours, *arguments) == outcome(theirs, *arguments)


@pytest.mark.parametrize("magnitude", EDGE_NUMBERS, ids=repr)
def test_numbers_are_written_as_the_library_writes_them(magnitude):
    zone = velm.Environment("numbers")
    zone.add_charge(magnitude, velm.NEGATIVE, "n")
    zone.add_equals_gate("gate", magnitude)
    zone.add_inequality_gate("judge", -magnitude, ">=")
    assert_same_text(velm.Charge.to_json, reference.charge_text, zone.charges[0])
    assert_same_text(velm.Environment.to_json, reference.zone_text, zone)


def test_every_double_bit_pattern_class_is_written_alike():
    # Random bit patterns reach exponents and mantissas that chosen values miss.
    values = [struct.unpack("<d", struct.pack("<Q", (bits * 0x9E3779B97F4A7C15) % 2**64))[0]
              for bits in range(1, 4000)]
    zone = velm.Environment("bits")
    for value in values:
        zone.add_charge(value, velm.POSITIVE, "")
    assert zone.to_json() == reference.zone_text(zone)


@pytest.mark.parametrize("text", EDGE_TEXTS, ids=repr)
def test_strings_are_escaped_and_checked_as_the_library_does(text):
    zone = velm.Environment(text)
    zone.add_charge(1, velm.POSITIVE, text)
    zone.add_chronomancer(text)
    assert_same_text(velm.Charge.to_json, reference.charge_text, zone.charges[0])
    assert_same_text(velm.Environment.to_json, reference.zone_text, zone)


@pytest.mark.parametrize("special", SPECIAL_BYTES, ids=repr)
def test_a_special_byte_is_found_wherever_it_stands(special):
    for length in (1, 2, 3, 4, 5, 7, 8, 9, 15, 16, 17, 24):
        for position in range(length):
            text = b"." * position + special + b"." * (length - position - 1)
            zone = velm.Environment(text)
            assert outcome(zone.to_json) == outcome(reference.zone_text, zone), text


@pytest.mark.parametrize("frame", [-(2**31), -1, 0, 999, 1000, 2**31 - 1])
def test_frame_index_is_written_as_the_library_writes_it(frame):
    sequencers = []
    for _ in range(2):
        sequencer = velm.NarrativeSequencer(velm.Environment("z"))
        sequencer.current_frame = frame
        sequencers.append(sequencer)
    assert sequencers[0].next_frame() == reference.frame_text(sequencers[1])
    assert sequencers[0].is_finished == sequencers[1].is_finished


# ------------------------------------------------------------ random levels

numbers = st.one_of(st.sampled_from(EDGE_NUMBERS), st.floats(), st.integers(-50, 50))
texts = st.one_of(
    st.sampled_from(EDGE_TEXTS[:24]),
    st.text(max_size=12),
    st.binary(max_size=10),
)
polarities = st.sampled_from([velm.POSITIVE, velm.NEGATIVE, velm.NEUTRAL, velm.ChargePolarity(9)])
charges = st.tuples(numbers, polarities, texts)
agents = st.tuples(st.sampled_from(KINDS), texts, numbers, st.sampled_from([">", "<", "<=", ">="]))


@st.composite
def level_plans(draw):
    """Zones in creation order, zone 0 the root; each later zone goes under one
    or two earlier zones, so zones may be shared but never form a cycle."""
    plan = []
    for index in range(draw(st.integers(1, 7))):
        parents = [] if index == 0 else draw(st.lists(st.integers(0, index - 1), min_size=1,
                                                       max_size=2))
        plan.append((draw(texts), draw(st.lists(charges, max_size=4)),
                     draw(st.lists(agents, max_size=3)), parents))
    return plan


def build(plan):
    zones = []
    for zone_id, zone_charges, zone_agents, parents in plan:
        zone = velm.Environment(zone_id)
        for charge in zone_charges:
            zone.add_charge(*charge)
        for kind, visual_id, target, comparison in zone_agents:
            if kind.title == "Equals Gate":
                zone.add_equals_gate(visual_id, target)
            elif kind.title == "The Judge":
                zone.add_inequality_gate(visual_id, target, comparison)
            else:
                getattr(zone, kind.method)(visual_id)
        for parent in parents:
            zones[parent].add_sub_environment(zone)
        zones.append(zone)
    return zones[0]


@given(level_plans())
def test_random_levels_report_frame_by_frame_as_the_library_writes_them(plan):
    ours, theirs = build(plan), build(plan)
    played, reference_played = velm.NarrativeSequencer(ours), velm.NarrativeSequencer(theirs)
    for _ in range(40):
        assert_same_text(velm.Environment.to_json, reference.zone_text, ours)
        assert outcome(played.next_frame) == outcome(reference.frame_text, reference_played)
        assert (played.current_frame, played.is_finished) == (
            reference_played.current_frame, reference_played.is_finished)
        if played.is_finished:
            break
