"""Builds and plays thousands of levels and shows that memory stays flat.

    .venv/bin/python benchmarks/leak_check.py            # or: make leak-check

The levels are those of tests/random_play.py: built at random (seeded)
through the public API and played to their end with all that a host may do
along the way. Every level's objects are dropped before the next one starts,
so every engine object (zones merged away and agents removed included) must be
freed with its last owner, or the process grows.

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
import os
import random
import sys
from pathlib import Path

import velm_engine as velm

# The random level player is test support, shared with tests/test_leaks.py.
sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests"))
from random_play import LevelPlayer


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
    samples: dict[str | None, list[int]] = {"RSS": [], heap_name: [], "Python blocks": []}
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
