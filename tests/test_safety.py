"""Host actions that could crash a careless engine, each run in its own
interpreter so that a crash fails one test instead of the whole run."""
import pytest

CHAIN = """
import json, velm_engine as velm
def chain(depth, times=1):
    # Each zone lists the one below it `times` times: times ** (depth - 1)
    # places for the bottom zone alone.
    root = velm.Environment("0")
    bottom = root
    for level in range(1, depth):
        below = velm.Environment(str(level))
        for _ in range(times):
            bottom.add_sub_environment(below)
        bottom = below
    return root, bottom
"""


def test_a_thousand_levels_deep_plays_until_the_frame_limit(run_isolated):
    # One act and 999 merges take exactly the 1000 frames a level may run.
    out = run_isolated(CHAIN + """
root, bottom = chain(1000)
bottom.add_charge(2, velm.POSITIVE, "a")
bottom.add_charge(3, velm.POSITIVE, "b")
bottom.add_multiply_magician("m")
assert json.loads(root.to_json())["id"] == "0"
sequencer = velm.NarrativeSequencer(root)
reports = []
while not sequencer.is_finished:
    reports.append(json.loads(sequencer.next_frame()))
print(len(reports), reports[-2]["charges"][0]["magnitude"], reports[-1]["meta"]["status"])
""")
    assert out.split() == ["1001", "6.0", "ERROR"]


def test_beyond_the_nesting_limit_nothing_changes(run_isolated):
    out = run_isolated(CHAIN + """
root, bottom = chain(2000)
root.to_json()
bottom.add_sub_environment(velm.Environment("one too many"))
root.add_charge(1, velm.POSITIVE, "a"); root.add_charge(1, velm.POSITIVE, "b")
root.add_plus_magician("p")
sequencer = velm.NarrativeSequencer(root)
for call in (root.to_json, sequencer.next_frame):
    try:
        call()
    except RecursionError as error:
        print(error)
print(sequencer.current_frame, len(root.charges))
""")
    lines = out.splitlines()
    assert lines[0] == lines[1] == "zones are nested deeper than the engine's limit of 2000 levels"
    assert lines[2] == "0 2"


def test_dropping_a_million_nested_zones(run_isolated):
    out = run_isolated(CHAIN + """
root, bottom = chain(1_000_000)
del bottom
del root
print("freed")
""", timeout=300)
    assert out.strip() == "freed"


def test_views_kept_across_frames_never_touch_freed_memory(run_isolated):
    out = run_isolated("""
import velm_engine as velm
env = velm.Environment("z")
for i in range(50):
    env.add_charge(i + 1, velm.POSITIVE, f"c{i}")
env.add_plus_magician("p")
views = env.charges
sequencer = velm.NarrativeSequencer(env)
sequencer.next_frame()
print(views[0].visual_id)
failures = 0
for view in views[1:]:
    for action in (lambda: view.magnitude, lambda: setattr(view, "magnitude", 1.0),
                   lambda: view.to_json(), lambda: setattr(view, "visual_id", "x")):
        try:
            action()
        except IndexError:
            failures += 1
print(failures)
del env, sequencer
print(views[0].magnitude)
""")
    assert out.split() == ["result_p", str(49 * 4), "1275.0"]


@pytest.mark.parametrize("build", [
    "a.add_sub_environment(a)",
    "b = velm.Environment('b'); a.add_sub_environment(b); b.add_sub_environment(a)",
])
def test_refused_cycles_leave_a_playable_level(run_isolated, build):
    out = run_isolated(f"""
import velm_engine as velm
a = velm.Environment('a')
try:
    {build}
except ValueError:
    print("refused")
print(velm.NarrativeSequencer(a).next_frame().count('"id"'))
""")
    assert out.split()[0] == "refused"


def test_a_level_of_too_many_places_is_refused_before_anything_changes(run_isolated):
    out = run_isolated(CHAIN + """
top, bottom = chain(41, times=2)
top.add_charge(1, velm.POSITIVE, "a"); top.add_charge(2, velm.POSITIVE, "b")
top.add_plus_magician("p")
sequencer = velm.NarrativeSequencer(top)
for call in (top.to_json, sequencer.next_frame):
    try:
        call()
    except ValueError as error:
        print(error)
sequencer.is_finished = True
try:
    sequencer.next_frame()
except ValueError:
    print("refused when finished too")
print(sequencer.current_frame, len(top.charges), bottom.is_time_frozen)
""", timeout=60)
    lines = out.splitlines()
    assert lines[0] == lines[1] == (
        "the level unfolds to more than the engine's limit of 10000000 zone places "
        "(a zone listed at several places counts at each)")
    assert lines[2:] == ["refused when finished too", "0 2 False"]


def test_a_level_of_millions_of_places_still_plays(run_isolated):
    out = run_isolated(CHAIN + """
top, bottom = chain(22, times=2)
bottom.add_charge(2, velm.POSITIVE, "a"); bottom.add_charge(3, velm.POSITIVE, "b")
bottom.add_multiply_magician("m")
sequencer = velm.NarrativeSequencer(top)
report = sequencer.next_frame()
print(report.count('"id":"21"'), report.count("result_product_m"), sequencer.current_frame)
""", timeout=300)
    assert out.split() == [str(2**21), str(2**21), "1"]
