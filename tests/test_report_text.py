"""The bytes of every JSON text that reaches Python: charges, zone states and
frame reports.

Every text goes through one conversion, which writes into a buffer kept from
call to call. These tests pin exact texts, also after a failed conversion and
across texts of very different sizes, and the nesting limit of the zone tree.
They also compare every text with the JSON library's own dump() of the JSON
value that the engine builds: `velm_reference_text` (built for the tests only)
dumps the values that the to_json() functions and next_frame() build, and the
two must agree byte for byte, and fail the same way when a text cannot be
written.
"""
import json
import math
import struct

import pytest
from hypothesis import given
from hypothesis import strategies as st

import velm_engine as velm
import velm_reference_text as reference
from velm_engine import NEGATIVE, NEUTRAL, POSITIVE, Charge, Environment

from helpers import SANITIZED, add_agent
from velm_levels.agent_kinds import AGENT_KINDS

DONE = "Simulation complete. No further actions."


# ------------------------------------------------------------ exact texts

@pytest.mark.parametrize("magnitude, polarity, visual_id, text", [
    (5, NEGATIVE, "q1", '{"magnitude":5.0,"polarity":"negative","visual_id":"q1"}'),
    (0, POSITIVE, "", '{"magnitude":0.0,"polarity":"positive","visual_id":""}'),
    (-3, POSITIVE, "m", '{"magnitude":-3.0,"polarity":"positive","visual_id":"m"}'),
    (0.1, NEUTRAL, "n", '{"magnitude":0.1,"polarity":"neutral","visual_id":"n"}'),
    (1e300, POSITIVE, "e", '{"magnitude":1e+300,"polarity":"positive","visual_id":"e"}'),
    (math.nan, POSITIVE, "n", '{"magnitude":null,"polarity":"positive","visual_id":"n"}'),
    (math.inf, POSITIVE, "i", '{"magnitude":null,"polarity":"positive","visual_id":"i"}'),
    (-math.inf, NEGATIVE, "i", '{"magnitude":null,"polarity":"negative","visual_id":"i"}'),
    (1, POSITIVE, 'say "hi"\\',
     '{"magnitude":1.0,"polarity":"positive","visual_id":"say \\"hi\\"\\\\"}'),
    (1, POSITIVE, "line\nbreak",
     '{"magnitude":1.0,"polarity":"positive","visual_id":"line\\nbreak"}'),
    (1, POSITIVE, "Zoë ✦", '{"magnitude":1.0,"polarity":"positive","visual_id":"Zoë ✦"}'),
])
def test_charge_text(magnitude, polarity, visual_id, text):
    assert Charge(magnitude, polarity, visual_id).to_json() == text


def test_nested_state_text_is_exact():
    inner = Environment("inner")
    inner.add_charge(2, NEGATIVE, "b")
    inner.add_plus_magician("p")
    outer = Environment("outer")
    outer.add_charge(3, POSITIVE, "a")
    outer.add_sub_environment(inner)
    assert outer.to_json() == (
        '{"agents":[],"charges":[{"magnitude":3.0,"polarity":"positive","visual_id":"a"}],'
        '"id":"outer","is_time_frozen":false,"sub_environments":[{"agents":[{"name":'
        '"Plus Magician","priority":10,"state":"dormant","visual_id":"p"}],"charges":'
        '[{"magnitude":2.0,"polarity":"negative","visual_id":"b"}],"id":"inner",'
        '"is_time_frozen":false,"sub_environments":[]}]}'
    )


def test_empty_zone_and_unicode_id():
    assert Environment("").to_json() == (
        '{"agents":[],"charges":[],"id":"","is_time_frozen":false,"sub_environments":[]}')
    assert json.loads(Environment('Zoë "x"').to_json())["id"] == 'Zoë "x"'
    assert '"id":"Zoë \\"x\\""' in Environment('Zoë "x"').to_json()


def test_gate_keys_print_in_byte_order():
    environment = Environment("z")
    environment.add_inequality_gate("g", 5, "<=")
    assert environment.to_json().startswith(
        '{"agents":[{"is_open":false,"name":"The Judge","priority":0,"rule":"<=",'
        '"state":"dormant","target_value":5.0,"visual_id":"g"}]')


def test_completion_and_later_calls_are_exact():
    zone = Environment("z")
    zone.add_charge(1, POSITIVE, "c")
    sequencer = velm.NarrativeSequencer(zone)
    state = ('{"agents":[],"charges":[{"magnitude":1.0,"polarity":"positive","visual_id":"c"}],'
             '"id":"z","is_time_frozen":false,')
    assert sequencer.next_frame() == state + (
        '"meta":{"frame_index":1,"last_event":{"agent_name":"System","description":'
        '"Equation Resolved.","type":"FINISHED","visual_id":"N/A"},"message":'
        '"Equation Resolved.","status":"FINISHED"},"sub_environments":[]}')
    for _ in range(2):
        assert sequencer.next_frame() == state + (
            '"meta":{"frame_index":1,"last_event":null,"message":'
            f'"{DONE}","status":"FINISHED"}},"sub_environments":[]}}')


WORKED_EXAMPLE_FRAMES = [
    '{"agents":[{"name":"Plus Magician","priority":10,"state":"dormant","visual_id":"p1"}],'
    '"charges":[{"magnitude":2.0,"polarity":"positive","visual_id":"two"}],'
    '"id":"Top","is_time_frozen":true,'
    '"meta":{"frame_index":1,"last_event":{"agent_name":"Multiply Magician",'
    '"description":"Multiply Magician executed operation in Inner","type":"CAST_SPELL",'
    '"visual_id":"m1"},"message":"Multiply Magician executed operation in Inner",'
    '"status":"RUNNING"},'
    '"sub_environments":[{"agents":[],'
    '"charges":[{"magnitude":12.0,"polarity":"positive","visual_id":"result_product_m1"}],'
    '"id":"Inner","is_time_frozen":false,"sub_environments":[]}]}',

    '{"agents":[{"name":"Plus Magician","priority":10,"state":"dormant","visual_id":"p1"}],'
    '"charges":[{"magnitude":2.0,"polarity":"positive","visual_id":"two"},'
    '{"magnitude":12.0,"polarity":"positive","visual_id":"result_product_m1"}],'
    '"id":"Top","is_time_frozen":false,'
    '"meta":{"frame_index":2,"last_event":{"agent_name":"Chronomancer",'
    '"description":"Zone Inner has resolved and merged.","type":"COLLAPSE_ZONE",'
    '"visual_id":"shield_Inner"},"message":"Zone Inner has resolved and merged.",'
    '"status":"RUNNING"},"sub_environments":[]}',

    '{"agents":[],'
    '"charges":[{"magnitude":14.0,"polarity":"positive","visual_id":"result_p1"}],'
    '"id":"Top","is_time_frozen":false,'
    '"meta":{"frame_index":3,"last_event":{"agent_name":"Plus Magician",'
    '"description":"Plus Magician executed operation in Top","type":"CAST_SPELL",'
    '"visual_id":"p1"},"message":"Plus Magician executed operation in Top",'
    '"status":"RUNNING"},"sub_environments":[]}',

    '{"agents":[],'
    '"charges":[{"magnitude":14.0,"polarity":"positive","visual_id":"result_p1"}],'
    '"id":"Top","is_time_frozen":false,'
    '"meta":{"frame_index":4,"last_event":{"agent_name":"System",'
    '"description":"Equation Resolved.","type":"FINISHED","visual_id":"N/A"},'
    '"message":"Equation Resolved.","status":"FINISHED"},"sub_environments":[]}',
]

AFTER_COMPLETION = (
    '{"agents":[],'
    '"charges":[{"magnitude":14.0,"polarity":"positive","visual_id":"result_p1"}],'
    '"id":"Top","is_time_frozen":false,'
    '"meta":{"frame_index":4,"last_event":null,'
    '"message":"Simulation complete. No further actions.","status":"FINISHED"},'
    '"sub_environments":[]}'
)


def test_worked_example_reports_frame_by_frame(worked_example):
    sequencer = velm.NarrativeSequencer(worked_example)
    for expected in WORKED_EXAMPLE_FRAMES:
        assert sequencer.next_frame() == expected
    assert sequencer.is_finished
    for _ in range(2):
        assert sequencer.next_frame() == AFTER_COMPLETION


def test_non_ascii_zone_id_is_written_raw():
    zone = Environment("Zoë")
    zone.add_charge(1, POSITIVE, "a")
    zone.add_charge(1, POSITIVE, "b")
    zone.add_plus_magician("p")
    text = velm.NarrativeSequencer(zone).next_frame()
    assert '"description":"Plus Magician executed operation in Zoë"' in text


AWKWARD_FIRST_FRAME = (
    '{"agents":[{"is_open":false,"name":"Equals Gate","priority":0,"state":"dormant",'
    '"target_value":3.0,"visual_id":"eq"},{"is_open":false,"name":"The Judge","priority":0,'
    '"rule":">=","state":"dormant","target_value":2.5,"visual_id":"judge"}],'
    '"charges":[{"magnitude":null,"polarity":"negative","visual_id":"nan"},'
    '{"magnitude":null,"polarity":"positive","visual_id":"inf"},'
    '{"magnitude":-0.0,"polarity":"neutral","visual_id":"zero"},'
    '{"magnitude":1e-07,"polarity":"neutral","visual_id":"tiny"},'
    '{"magnitude":1.5e+17,"polarity":"positive","visual_id":"big"},'
    '{"magnitude":0.1,"polarity":"positive","visual_id":""}],'
    '"id":"röot \\"q\\" \\\\ \\t\\n\\u0001\\u001f\x7f 😀","is_time_frozen":true,'
    '"meta":{"frame_index":1,"last_event":{"agent_name":"System",'
    '"description":"Equation Resolved.","type":"FINISHED","visual_id":"N/A"},'
    '"message":"Equation Resolved.","status":"FINISHED"},'
    '"sub_environments":[{"agents":[{"name":"Chronomancer","priority":100,"state":"dormant",'
    '"visual_id":"\\b\\f\\r"}],"charges":[{"magnitude":2.0,"polarity":"negative",'
    '"visual_id":"✦"}],"id":"été","is_time_frozen":false,"sub_environments":[]}]}'
)


def test_awkward_values_are_written_byte_for_byte():
    root = velm.Environment('röot "q" \\ \t\n\x01\x1f\x7f 😀')
    for magnitude, polarity, visual_id in [
        (float("nan"), NEGATIVE, "nan"), (float("-inf"), POSITIVE, "inf"),
        (-0.0, NEUTRAL, "zero"), (1e-7, velm.ChargePolarity(7), "tiny"),
        (1.5e17, POSITIVE, "big"), (0.1, POSITIVE, ""),
    ]:
        root.add_charge(magnitude, polarity, visual_id)
    root.add_equals_gate("eq", 3)
    root.add_inequality_gate("judge", 2.5, ">=")
    inner = velm.Environment("été")
    inner.add_charge(2, NEGATIVE, "✦")
    inner.add_chronomancer("\b\f\r")
    root.add_sub_environment(inner)

    assert velm.NarrativeSequencer(root).next_frame() == AWKWARD_FIRST_FRAME


# ------------------------------------------------------------ compact, sorted, unmixed

def _nested_level():
    """Three zones over two levels, with agents of several priorities."""
    root = velm.Environment("root")
    root.add_charge(2, POSITIVE, "r0")
    root.add_plus_magician("sum")
    root.add_abs_magician("abs")
    for index in range(2):
        inner = velm.Environment(f"inner{index}")
        for magnitude, polarity in [(3, NEGATIVE), (0.25, NEUTRAL), (4, POSITIVE)]:
            inner.add_charge(magnitude, polarity, f"c{index}")
        inner.add_multiply_magician(f"m{index}")
        inner.add_power_sorcerer(f"p{index}")
        inner.add_sub_environment(velm.Environment(f"leaf{index}"))
        root.add_sub_environment(inner)
    return root


def _crowded_level():
    """One zone with more than 32 agents of equal priority."""
    root = velm.Environment("crowd")
    for index in range(6):
        root.add_charge(index + 1, POSITIVE, f"c{index}")
    for index in range(40):
        root.add_root_magician(f"root{index}")
    return root


def _merging_level():
    """An inner zone whose adder acts, then merges into a root with a charge of its own."""
    inner = velm.Environment("inner")
    inner.add_charge(1, POSITIVE, "a")
    inner.add_charge(2, POSITIVE, "b")
    inner.add_plus_magician("p")
    root = velm.Environment("root")
    root.add_charge(5, NEGATIVE, "r")
    root.add_sub_environment(inner)
    return root


def _canonical(text):
    return json.dumps(json.loads(text), ensure_ascii=False, separators=(",", ":"),
                      sort_keys=True)


@pytest.mark.parametrize("build", [_nested_level, _crowded_level, _merging_level])
def test_every_frame_is_compact_sorted_text(build):
    root = build()
    sequencer = velm.NarrativeSequencer(root)
    while not sequencer.is_finished:
        report = sequencer.next_frame()
        assert report == _canonical(report)
        state = root.to_json()
        assert state == _canonical(state)
        assert json.loads(state) == {k: v for k, v in json.loads(report).items() if k != "meta"}


def _heap(charges):
    zone = velm.Environment("heap")
    for index in range(charges):
        zone.add_charge(index, POSITIVE, f"q{index}")
    return zone


def test_texts_of_different_sizes_do_not_mix():
    big = _heap(2000)
    first = big.to_json()
    small = velm.Charge(1, POSITIVE, "a")
    assert small.to_json() == '{"magnitude":1.0,"polarity":"positive","visual_id":"a"}'
    assert big.to_json() == first
    assert len(first) > 2000 * 40


# ------------------------------------------------------------ texts that cannot be written

@pytest.mark.parametrize("holder, attribute, fixed", [
    (lambda raw: Charge(1, POSITIVE, raw), "visual_id",
     '{"magnitude":1.0,"polarity":"positive","visual_id":"fixed"}'),
    (Environment, "id",
     '{"agents":[],"charges":[],"id":"fixed","is_time_frozen":false,"sub_environments":[]}'),
], ids=["charge", "zone"])
@pytest.mark.parametrize("raw, message", [
    (b"\xff", "invalid UTF-8 byte at index 0: 0xFF"),
    (b"bad\xff", "invalid UTF-8 byte at index 3: 0xFF"),
    (b"ok\xc3", "incomplete UTF-8 string; last byte: 0xC3"),
])
def test_invalid_utf8_is_stored_but_cannot_be_written(holder, attribute, fixed, raw, message):
    made = holder(raw)
    with pytest.raises(RuntimeError, match=message):
        made.to_json()
    with pytest.raises(UnicodeDecodeError):
        getattr(made, attribute)
    setattr(made, attribute, "fixed")
    assert made.to_json() == fixed


@pytest.mark.parametrize("raw, message", [
    (b"\xff", r"type_error\.316\] invalid UTF-8 byte at index 0: 0xFF"),
    (b"ab\xffc", r"type_error\.316\] invalid UTF-8 byte at index 2: 0xFF"),
    (b"ab\xc3", r"type_error\.316\] incomplete UTF-8 string; last byte: 0xC3"),
])
def test_failed_text_leaves_nothing_behind(raw, message):
    zone = velm.Environment(raw)
    zone.add_charge(1, POSITIVE, "a")
    zone.add_charge(2, POSITIVE, "b")
    zone.add_plus_magician("p")
    sequencer = velm.NarrativeSequencer(zone)
    with pytest.raises(RuntimeError, match=message):
        sequencer.next_frame()
    # The frame was played before its text failed.
    assert sequencer.current_frame == 1
    assert [charge.visual_id for charge in zone.charges] == ["result_p"]
    zone.id = "fixed"
    assert sequencer.next_frame() == (
        '{"agents":[],"charges":[{"magnitude":3.0,"polarity":"positive","visual_id":"result_p"}],'
        '"id":"fixed","is_time_frozen":false,"meta":{"frame_index":2,"last_event":'
        '{"agent_name":"System","description":"Equation Resolved.","type":"FINISHED",'
        '"visual_id":"N/A"},"message":"Equation Resolved.","status":"FINISHED"},'
        '"sub_environments":[]}'
    )


# ------------------------------------------------------------ nesting limit and memory

def _chain(levels):
    """`levels` zones, each inside the one before, outermost first; the
    innermost holds a charge and an agent that can act on it."""
    zones = [velm.Environment("z0")]
    for depth in range(1, levels):
        zones.append(velm.Environment(f"z{depth}"))
        zones[-2].add_sub_environment(zones[-1])
    zones[-1].add_charge(1, POSITIVE, "deepest")
    zones[-1].add_abs_magician("abs")
    return zones


def test_deepest_allowed_tree_is_written_whole():
    report = velm.NarrativeSequencer(_chain(2000)[0]).next_frame()
    assert report.count('"sub_environments":[{') == 1999
    assert '"visual_id":"deepest"' in report


@pytest.mark.parametrize("write", [
    lambda root: root.to_json(),
    lambda root: velm.NarrativeSequencer(root).next_frame(),
])
def test_too_deep_tree_is_refused_and_left_alone(write):
    zones = _chain(2001)
    sequencer = velm.NarrativeSequencer(zones[0])
    with pytest.raises(RecursionError):
        write(zones[0])
    with pytest.raises(RecursionError):
        sequencer.next_frame()
    assert sequencer.current_frame == 0
    assert not any(zone.is_time_frozen for zone in zones)
    assert '"agents":[{"name":"The Purifier"' in zones[1].to_json()


def test_deepest_allowed_level_writes_and_plays_on_a_small_thread_stack(run_isolated):
    out = run_isolated("""
    import threading, velm_engine as velm
    def play():
        zones = [velm.Environment("0")]
        for depth in range(1, 2000):
            zones.append(velm.Environment(str(depth)))
            zones[-2].add_sub_environment(zones[-1])
        zones[-1].add_charge(1, velm.POSITIVE, "a")
        text = zones[0].to_json()
        sequencer = velm.NarrativeSequencer(zones[0])
        frames = [sequencer.next_frame() for _ in range(3)]
        print(len(text) > 2000 * 80, all('"frame_index":' in frame for frame in frames))
    threading.stack_size(256 * 1024)
    worker = threading.Thread(target=play)
    worker.start()
    worker.join()
    """)
    assert out.split() == ["True", "True"]


@pytest.mark.skipif(SANITIZED, reason="ASan keeps freed memory in quarantine")
@pytest.mark.parametrize("filler", ["x", "é"])
def test_an_outsized_text_gives_its_memory_back(run_isolated, filler):
    # A text far beyond the buffer the writer keeps: once the str is gone, the
    # process is back to about the size it had before the text was written.
    out = run_isolated(f"""
    import resource, velm_engine as velm
    def resident():
        with open("/proc/self/statm") as statm:
            return int(statm.read().split()[1]) * resource.getpagesize()
    zone = velm.Environment("z")
    zone.add_charge(1, velm.POSITIVE, {filler!r} * 50_000_000)
    before = resident()
    text = zone.to_json()
    assert len(text) > 50_000_000
    del text
    print((resident() - before) // 1_000_000)
    """)
    assert int(out) < 10


@pytest.mark.skipif(SANITIZED, reason="address-space limits mean nothing under ASan")
def test_running_out_of_memory_while_writing_raises_memory_error(run_isolated):
    out = run_isolated("""
    import resource, velm_engine as velm
    def mapped():
        with open("/proc/self/statm") as statm:
            return int(statm.read().split()[0]) * resource.getpagesize()
    zone = velm.Environment("z")
    zone.add_charge(1, velm.POSITIVE, "x" * 50_000_000)
    zone.add_charge(2, velm.NEGATIVE, "y")
    resource.setrlimit(resource.RLIMIT_AS, (mapped() + 30_000_000, resource.RLIM_INFINITY))
    try:
        zone.to_json()
    except MemoryError:
        print("MemoryError")
    resource.setrlimit(resource.RLIMIT_AS, (resource.RLIM_INFINITY, resource.RLIM_INFINITY))
    print([(charge.magnitude, len(charge.visual_id)) for charge in zone.charges])
    """)
    assert out.splitlines() == ["MemoryError", "[(1.0, 50000000), (2.0, 1)]"]


# ------------------------------------------------------------ the library's own dump()

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
SPECIAL_BYTES = [b'"', b"\\", b"\x00", b"\x01", b"\x1f", b"\x7f", b"\x80", b"\xff", b"\n",
                 b"\xc3\xa9"]


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
agents = st.tuples(st.sampled_from(list(AGENT_KINDS.values())), texts, numbers,
                   st.sampled_from([">", "<", "<=", ">="]))


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
    zones: list[velm.Environment] = []
    for zone_id, zone_charges, zone_agents, parents in plan:
        zone = velm.Environment(zone_id)
        for charge in zone_charges:
            zone.add_charge(*charge)
        for agent in zone_agents:
            add_agent(zone, *agent)
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
