"""Running out of memory: a MemoryError, never an abort, and never a frame
that is half applied. Each case runs in its own interpreter under an address
space limit set just above what it uses."""
import pytest

from helpers import SANITIZED

pytestmark = pytest.mark.skipif(SANITIZED, reason="address-space limits mean nothing under ASan")

LIMITS = """
import json, resource, velm_engine as velm

def mapped():
    with open("/proc/self/statm") as statm:
        return int(statm.read().split()[0]) * resource.getpagesize()

def limit_headroom(megabytes):
    limit = mapped() + int(megabytes * 1e6)
    resource.setrlimit(resource.RLIMIT_AS, (limit, resource.RLIM_INFINITY))

def lift_limit():
    resource.setrlimit(resource.RLIMIT_AS, (resource.RLIM_INFINITY, resource.RLIM_INFINITY))
"""


@pytest.mark.parametrize("headroom", [3, 10, 40, 100])
@pytest.mark.parametrize("call", ["zone.to_json()", "sequencer.next_frame()"])
def test_a_large_text_without_memory_for_it_raises_memory_error(run_isolated, headroom, call):
    # Each run is a fresh interpreter: the first C++ exception of a process
    # is the one that used to abort when it found no memory.
    out = run_isolated(LIMITS + f"""
zone = velm.Environment("heap")
for index in range(200_000):
    zone.add_charge(index * 0.25, velm.POSITIVE, f"charge{{index}}")
zone.add_abs_magician("abs")
sequencer = velm.NarrativeSequencer(zone)
limit_headroom({headroom})
try:
    {call}
    print("written")
except MemoryError:
    print("MemoryError")
""")
    assert out.strip() in ("written", "MemoryError")


BIG = 40_000_000

# Three frames that used to fail halfway when a text of the frame's event or of
# a charge's new name found no memory. After a failed frame the level must be
# exactly as before, and once memory is back the frame must happen exactly once.
HALF_APPLIED_BEFORE = {
    # The agent acted, its event found no memory, and it stayed to act again.
    "agent": f"""
zone = velm.Environment("z" * {BIG})
zone.add_charge(3, velm.POSITIVE, "three")
zone.add_factorial_magician("f")
root = zone
""",
    # The charge was copied up, the event found no memory, the zone stayed.
    "merge": f"""
root = velm.Environment("top")
zone = velm.Environment("z" * {BIG})
zone.add_charge(5, velm.POSITIVE, "five")
root.add_sub_environment(zone)
""",
    # The first charge was purified, the second's new name found no memory.
    "purifier": f"""
root = velm.Environment("top")
root.add_charge(1, velm.NEGATIVE, "small")
root.add_charge(2, velm.NEGATIVE, "x" * {BIG})
root.add_abs_magician("abs")
""",
}


def shape(text):
    """A report or state, with long texts cut down to their length."""
    def shorten(value):
        if isinstance(value, str) and len(value) > 100:
            return f"<{len(value)} characters>"
        if isinstance(value, dict):
            return {key: shorten(item) for key, item in value.items() if key != "meta"}
        if isinstance(value, list):
            return [shorten(item) for item in value]
        return value
    return shorten(__import__("json").loads(text))


@pytest.mark.parametrize("case", sorted(HALF_APPLIED_BEFORE))
def test_a_frame_without_memory_for_its_texts_changes_nothing(run_isolated, case):
    out = run_isolated(LIMITS + HALF_APPLIED_BEFORE[case] + f"""
sequencer = velm.NarrativeSequencer(root)
before = root.to_json()
limit_headroom({BIG} / 2e6)
try:
    sequencer.next_frame()
    print("played")
except MemoryError:
    print("MemoryError")
lift_limit()
print(root.to_json() == before, sequencer.current_frame, sequencer.is_finished)
reports = []
while not sequencer.is_finished:
    reports.append(sequencer.next_frame())
print(json.dumps([json.loads(report)["meta"]["last_event"]["type"] for report in reports]))
print(root.to_json())
""", timeout=300)
    failed, unchanged, final_events, final_state = out.splitlines()
    assert (failed, unchanged) == ("MemoryError", "True 0 False")
    assert final_events == {
        "agent": '["CAST_SPELL", "FINISHED"]',
        "merge": '["COLLAPSE_ZONE", "FINISHED"]',
        "purifier": '["CAST_SPELL", "FINISHED"]',
    }[case]
    assert shape(final_state) == {
        "agent": {"agents": [], "charges": [{"magnitude": 6.0, "polarity": "positive",
                                             "visual_id": "result_factorial_f"}],
                  "id": f"<{BIG} characters>", "is_time_frozen": False, "sub_environments": []},
        "merge": {"agents": [], "charges": [{"magnitude": 5.0, "polarity": "positive",
                                             "visual_id": "five"}],
                  "id": "top", "is_time_frozen": False, "sub_environments": []},
        "purifier": {"agents": [], "charges": [
            {"magnitude": 1.0, "polarity": "positive", "visual_id": "purified_small"},
            {"magnitude": 2.0, "polarity": "positive", "visual_id": f"<{BIG + 9} characters>"}],
            "id": "top", "is_time_frozen": False, "sub_environments": []},
    }[case]
