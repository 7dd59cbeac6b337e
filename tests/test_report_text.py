"""The bytes of the JSON texts that reach Python.

Every text goes through one conversion, which writes into a buffer kept from
call to call; these tests pin the bytes, also after a failed conversion and
across texts of very different sizes, and the nesting limit of the zone tree.
"""
import json

import pytest

from helpers import SANITIZED

import velm_engine as velm
from velm_engine import NEGATIVE, NEUTRAL, POSITIVE

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


def _canonical(text):
    return json.dumps(json.loads(text), ensure_ascii=False, separators=(",", ":"),
                      sort_keys=True)


@pytest.mark.parametrize("build", [_nested_level, _crowded_level])
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


@pytest.mark.parametrize("raw, message", [
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
