"""Random levels, built and played the way a careless host might.

Every level is built at random (from a seeded generator) through the public
API and played to its end, with what a host may do along the way: zones shared
twice and under two parents, all thirteen agent kinds, odd magnitudes, Charge
views kept across frames until they go stale, charge lists replaced, zones
renamed, charges, agents and zones added mid-level, the frame counter and the
finished flag rewritten, refused inputs (None, cycles, wrong types, stale
views), the host dropping its root before the sequencer is done, and a few deep
chains. Every level's objects are dropped before the next one starts.

The leak check (benchmarks/leak_check.py) and the leak tests play these levels.
"""

import json
import math

import velm_engine as velm

from velm_levels.agent_kinds import AGENT_KINDS

KINDS = list(AGENT_KINDS.values())
MAGNITUDES = [0.0, -0.0, 1e-10, 1e15, 171.0, 1e308, -1e308, -7.0, 0.5, 1.0, 2.0, 3.0, 8.0, 100.0,
              math.nan, math.inf, -math.inf]
POLARITIES = [velm.POSITIVE, velm.NEGATIVE, velm.NEUTRAL, velm.ChargePolarity(7)]
COMPARISONS = [">", "<", "<=", ">=", "==", ""]


def expect(error, action):
    try:
        action()
    except error:
        return
    raise AssertionError(f"{action} did not raise {error.__name__}")


class LevelPlayer:
    """Builds random levels from `rng` and plays each to its end with
    `play_one()`, counting frames and events as it goes."""

    def __init__(self, rng, hold_zone=False):
        self.rng = rng
        self.hold_zone = hold_zone
        self.held = []  # one zone of every level, kept alive when hold_zone is set
        self.frames = 0
        self.events = {}

    def magnitude(self):
        rng = self.rng
        return rng.choice(MAGNITUDES) if rng.random() < 0.4 else float(rng.randint(-3, 12))

    def fill(self, zone, charges, agents):
        rng = self.rng
        for index in range(charges):
            zone.add_charge(self.magnitude(), rng.choice(POLARITIES), f"c{index}")
        for index in range(agents):
            self.add_agent(zone, f"a{index}")

    def add_agent(self, zone, visual_id):
        kind = self.rng.choice(KINDS)
        # Drawn only for the kinds that take them, in the order they are taken.
        draw = {"target": self.magnitude, "comparison_type": lambda: self.rng.choice(COMPARISONS)}
        kind.add_to(zone, visual_id, *(draw[name]() for name in kind.extra_parameters))

    def build(self):
        """A random tree with shared zones; returns (root, every zone)."""
        rng = self.rng
        root = velm.Environment("root")
        self.fill(root, rng.randint(0, 3), rng.randint(0, 3))
        zones = [root]
        for index in range(rng.randint(2, 12)):
            zone = velm.Environment(f"z{index}")
            self.fill(zone, rng.randint(0, 4), rng.randint(0, 3))
            # Parents come from earlier zones only, so no cycle is formed here.
            parent = rng.choice(zones)
            parent.add_sub_environment(zone)
            if rng.random() < 0.25:
                rng.choice(zones).add_sub_environment(zone)  # shared twice or under two parents
            zones.append(zone)
        if rng.random() < 0.05:
            # A deep chain, freed without recursion when the level goes.
            chain = velm.Environment("chain")
            for _ in range(rng.randint(50, 400)):
                link = velm.Environment("link")
                link.add_sub_environment(chain)
                chain = link
            zones[-1].add_sub_environment(chain)
        return root, zones

    def refused_inputs(self, root, zones):
        rng = self.rng
        zone = rng.choice(zones)
        expect(TypeError, lambda: zone.add_sub_environment(None))
        expect(ValueError, lambda: zone.add_sub_environment(root))
        expect(ValueError, lambda: zone.add_sub_environment(zone))
        expect(TypeError, lambda: velm.NarrativeSequencer(None))  # type: ignore[arg-type]
        expect(TypeError, lambda: velm.Charge("1", velm.POSITIVE, "x"))  # type: ignore[arg-type]
        expect(TypeError, lambda: velm.ChargePolarity(2**40))
        expect(TypeError, lambda: zone.add_charge(1.0, 1, "x"))
        expect(TypeError, lambda: setattr(zone, "charges", [1, 2]))
        expect(TypeError, lambda: setattr(zone, "charges", 5))
        expect(TypeError, lambda: zone.add_plus_magician(5))

    def host_action(self, sequencer, zones, views):
        rng = self.rng
        zone = rng.choice(zones)
        action = rng.randrange(9)
        if action == 0:
            zone.add_charge(self.magnitude(), rng.choice(POLARITIES), "late")
        elif action == 1:
            self.add_agent(zone, "late")
        elif action == 2:
            zone.id = rng.choice(["renamed", "zone \u2726", ""])
        elif action == 3:
            views.extend(zone.charges)
        elif action == 4:
            fresh = [velm.Charge(self.magnitude(), rng.choice(POLARITIES), "new")]
            try:
                zone.charges = fresh + rng.sample(views, min(len(views), 2))
            except IndexError:
                pass  # a stale view among them: refused, nothing changed
        elif action == 5:
            inner = velm.Environment("late-zone")
            self.fill(inner, rng.randint(1, 2), rng.randint(0, 1))
            zone.add_sub_environment(inner)
            zones.append(inner)
        elif action == 6:
            zone.is_time_frozen = rng.random() < 0.5
        elif action == 7 and rng.random() < 0.1:
            sequencer.current_frame = rng.choice([998, 1000, 2**31 - 1])
        elif action == 8 and rng.random() < 0.2:
            sequencer.is_finished = not sequencer.is_finished

    def read_views(self, views):
        for view in views:
            try:
                view.magnitude = view.magnitude
                view.to_json()
            except IndexError:
                pass  # stale: its zone has no charge at that index any more

    def play_one(self):
        rng = self.rng
        root, zones = self.build()
        self.refused_inputs(root, zones)
        views = list(rng.choice(zones).charges)
        sequencer = velm.NarrativeSequencer(root)
        if rng.random() < 0.3:
            # Another sequencer on an inner zone, stepped now and then.
            extra = velm.NarrativeSequencer(rng.choice(zones))
        else:
            extra = None
        if rng.random() < 0.3:
            # The host drops its root; the sequencer keeps the level alive.
            zones.remove(root)
            del root
        if self.hold_zone:
            self.held.append(zones[-1])
        for _ in range(1200):
            report = json.loads(sequencer.next_frame())
            self.frames += 1
            event = report["meta"]["last_event"]
            kind = report["meta"]["status"] if event is None else event["type"]
            self.events[kind] = self.events.get(kind, 0) + 1
            if report["meta"]["status"] != "RUNNING":
                if sequencer.current_frame < 1000 and rng.random() < 0.2:
                    sequencer.is_finished = False
                    continue
                break
            if rng.random() < 0.3:
                self.host_action(sequencer, zones, views)
            if extra is not None and rng.random() < 0.3:
                extra.next_frame()
            self.read_views(views)
        if rng.random() < 0.5:
            del sequencer  # drop the sequencer before the zones
        zones.clear()
        views.clear()
