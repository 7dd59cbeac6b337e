"""Builds and plays thousands of levels and shows that memory stays flat.

    .venv/bin/python benchmarks/leak_check.py            # or: make leak-check

Every level is built at random (seeded) through the public API and played to
its end, with what a host may do along the way: zones shared twice and under
two parents, all thirteen agent kinds, odd magnitudes, Charge views kept across
frames until they go stale, charge lists replaced, zones renamed, charges,
agents and zones added mid-level, the frame counter and the finished flag
rewritten, refused inputs (None, cycles, wrong types, stale views), the host
dropping its root before the sequencer is done, and a few deep chains. Every
level's objects are dropped before the next one starts, so every engine object
(zones merged away and agents removed included) must be freed with its last
owner, or the process grows.

After each round of levels the script collects garbage and samples the
resident set size (RSS, from /proc/self/statm), the bytes that malloc has
handed out and not had back (exact: every engine object lives there), and the
interpreter's count of its own blocks. The first rounds are warm-up, while the
allocators and the interpreter's caches settle; the growth from the end of
warm-up to the end is what counts, and the script exits 1 when the heap grows
by more than --max-heap-growth-kib or the RSS by more than
--max-rss-growth-kib. Under AddressSanitizer (make test-sanitize) the heap is
ASan's own count, and the RSS, which ASan's quarantine of freed blocks makes
grow regardless, is shown but not judged.
"""

import argparse
import ctypes
import gc
import json
import math
import os
import random
import sys

import velm_engine as velm

KINDS = [
    "add_plus_magician", "add_minus_magician", "add_multiply_magician", "add_divide_magician",
    "add_power_sorcerer", "add_root_magician", "add_abs_magician", "add_factorial_magician",
    "add_modulo_magician", "add_log_magician", "add_chronomancer", "add_equals_gate",
    "add_inequality_gate",
]
MAGNITUDES = [0.0, -0.0, 1e-10, 1e15, 171.0, 1e308, -1e308, -7.0, 0.5, 1.0, 2.0, 3.0, 8.0, 100.0,
              math.nan, math.inf, -math.inf]
POLARITIES = [velm.POSITIVE, velm.NEGATIVE, velm.NEUTRAL, velm.ChargePolarity(7)]
COMPARISONS = [">", "<", "<=", ">=", "==", ""]


def rss_bytes():
    with open("/proc/self/statm") as statm:
        return int(statm.read().split()[1]) * os.sysconf("SC_PAGE_SIZE")


class MallInfo2(ctypes.Structure):
    _fields_ = [(name, ctypes.c_size_t) for name in (
        "arena", "ordblks", "smblks", "hblks", "hblkhd", "usmblks", "fsmblks", "uordblks",
        "fordblks", "keepcost")]


def heap_probe():
    """(name, function) for the bytes that malloc has handed out and not had
    back: every engine object (zones, agents, charge lists, strings, JSON
    values) and the interpreter's larger blocks. Exact, unlike the RSS, which
    also holds pages that the allocators keep for later. Under ASan, its
    allocator's count; otherwise glibc's mallinfo2; (None, None) without either."""
    process = ctypes.CDLL(None)
    asan = getattr(process, "__sanitizer_get_current_allocated_bytes", None)
    if asan is not None:
        asan.restype = ctypes.c_size_t
        return "ASan heap", asan
    mallinfo2 = getattr(process, "mallinfo2", None)
    if mallinfo2 is not None:
        mallinfo2.restype = MallInfo2

        def in_use():
            info = mallinfo2()
            return info.uordblks + info.hblkhd  # small blocks + blocks of their own mapping

        return "malloc in use", in_use
    return None, None


def expect(error, action):
    try:
        action()
    except error:
        return
    raise AssertionError(f"{action} did not raise {error.__name__}")


class LevelPlayer:
    def __init__(self, rng, hold_zone=False):
        self.rng = rng
        self.hold_zone = hold_zone
        self.held = []  # only with --hold-zone
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
        rng = self.rng
        kind = rng.choice(KINDS)
        if kind == "add_equals_gate":
            zone.add_equals_gate(visual_id, self.magnitude())
        elif kind == "add_inequality_gate":
            zone.add_inequality_gate(visual_id, self.magnitude(), rng.choice(COMPARISONS))
        else:
            getattr(zone, kind)(visual_id)

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
        expect(TypeError, lambda: velm.NarrativeSequencer(None))
        expect(TypeError, lambda: velm.Charge("1", velm.POSITIVE, "x"))
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


def trend(samples):
    """Least-squares slope of the samples, per round."""
    count = len(samples)
    mean_x = (count - 1) / 2
    mean_y = sum(samples) / count
    spread = sum((x - mean_x) ** 2 for x in range(count))
    return sum((x - mean_x) * (y - mean_y) for x, y in enumerate(samples)) / spread


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--levels", type=int, default=8000, help="levels in all (default 8000)")
    parser.add_argument("--rounds", type=int, default=16, help="memory samples (default 16)")
    parser.add_argument("--warmup", type=int, default=4, help="rounds ignored (default 4)")
    parser.add_argument("--max-heap-growth-kib", type=float, default=64.0,
                        help="largest growth of the heap in use after warm-up that passes")
    parser.add_argument("--max-rss-growth-kib", type=float, default=2048.0,
                        help="largest growth of the RSS after warm-up that passes")
    parser.add_argument("--seed", type=int, default=2024)
    parser.add_argument("--hold-zone", action="store_true",
                        help="keep one zone of every level alive: a deliberate leak of about "
                             "that size, to see that the check notices it")
    args = parser.parse_args()
    if not 0 < args.warmup < args.rounds - 1:
        parser.error("need 0 < --warmup < --rounds - 1")

    heap_name, heap_bytes = heap_probe()
    player = LevelPlayer(random.Random(args.seed), hold_zone=args.hold_zone)
    per_round = max(1, args.levels // args.rounds)
    samples = {"RSS": [], heap_name: [], "Python blocks": []}
    print(f"{'round':>5} {'levels':>7} {'RSS KiB':>10} {(heap_name or '-') + ' KiB':>18} "
          f"{'Python blocks':>14}")
    for index in range(args.rounds):
        for _ in range(per_round):
            player.play_one()
        # The module keeps one text buffer whose size follows the last text it
        # wrote; a tiny text before each sample measures it at its smallest.
        velm.Environment("").to_json()
        gc.collect()
        samples["RSS"].append(rss_bytes())
        samples[heap_name].append(heap_bytes() if heap_bytes else 0)
        samples["Python blocks"].append(sys.getallocatedblocks())
        marker = "  (warm-up)" if index < args.warmup else ""
        print(f"{index + 1:>5} {(index + 1) * per_round:>7} {samples['RSS'][-1] / 1024:>10.0f} "
              f"{samples[heap_name][-1] / 1024:>18.1f} {samples['Python blocks'][-1]:>14}{marker}",
              flush=True)

    measured = per_round * (args.rounds - args.warmup)
    events = ", ".join(f"{count} {kind}" for kind, count in sorted(player.events.items()))
    print(f"played {per_round * args.rounds} levels, {player.frames} next_frame calls: {events}")

    # Growth from the end of warm-up to the end, read off the least-squares
    # trend of the samples: single RSS samples move by a few hundred KiB as the
    # allocators keep or return pages, while a leak moves the whole line.
    def growth(name):
        after_warmup = samples[name][args.warmup - 1:]
        return trend(after_warmup) * (len(after_warmup) - 1)

    limits = {heap_name: args.max_heap_growth_kib, "RSS": args.max_rss_growth_kib}
    if heap_name == "ASan heap":
        # ASan keeps freed blocks in quarantine, so the RSS of a sanitized
        # process grows whatever the program does; only its heap count tells.
        limits["RSS"] = None
    failed = False
    for name, limit in limits.items():
        if name is None:
            continue
        grown = growth(name)
        line = (f"{name} growth after warm-up: {grown / 1024:+.1f} KiB over {measured} levels "
                f"({grown / measured:+.2f} bytes per level)")
        if limit is None:
            print(f"{line}; not judged")
            continue
        failed |= grown > limit * 1024
        print(f"{line}; limit {limit:.0f} KiB: {'ok' if grown <= limit * 1024 else 'TOO MUCH'}")
    print(f"Python blocks growth after warm-up: {growth('Python blocks'):+.0f}")
    if failed:
        print("FAIL: memory grows while levels are built, played and dropped")
        return 1
    print("OK: memory stays flat")
    return 0


if __name__ == "__main__":
    sys.exit(main())
