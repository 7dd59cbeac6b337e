"""Times building a chain of nested zones in both orders and prints a table.

    .venv/bin/python benchmarks/chain_building.py
    .venv/bin/python benchmarks/chain_building.py --sizes 20000,200000 --repeat 5

Top-down adds each new zone below the deepest one so far; bottom-up makes
each new zone the parent of the chain built so far. Every `add_sub_environment`
first makes sure that the new link cannot make the level contain itself, so
the figures show what that check costs as a chain grows. For a linear cost the
time per zone stays flat from one size to the next.
"""

import argparse
import gc
import statistics
import time

import velm_engine as velm


def top_down(size):
    root = velm.Environment("0")
    bottom = root
    for level in range(1, size):
        below = velm.Environment(str(level))
        bottom.add_sub_environment(below)
        bottom = below
    return root


def bottom_up(size):
    top = velm.Environment("0")
    for level in range(1, size):
        above = velm.Environment(str(level))
        above.add_sub_environment(top)
        top = above
    return top


ORDERS = {"top-down": top_down, "bottom-up": bottom_up}


def seconds_to_build(build, size):
    """One sample; freeing the chain afterwards is not timed."""
    gc.collect()
    gc.disable()
    try:
        start = time.perf_counter()
        chain = build(size)
        took = time.perf_counter() - start
    finally:
        gc.enable()
    del chain
    return took


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--sizes", default="2000,20000",
                        help="comma-separated chain lengths (default 2000,20000)")
    parser.add_argument("--repeat", type=int, default=3, help="samples per figure (default 3)")
    args = parser.parse_args()
    sizes = [int(size) for size in args.sizes.split(",")]

    print(f"Medians of {args.repeat} samples; building only, freeing is not timed.\n")
    header = ("order", "zones", "build s", "µs per zone")
    rows = []
    for name, build in ORDERS.items():
        for size in sizes:
            took = statistics.median(seconds_to_build(build, size) for _ in range(args.repeat))
            rows.append((name, f"{size:,}", f"{took:.3f}", f"{took / size * 1e6:.2f}"))
    widths = [max(len(cell) for cell in column) for column in zip(header, *rows)]
    for line in (header, tuple("-" * width for width in widths), *rows):
        print("| " + " | ".join(cell.ljust(width) for cell, width in zip(line, widths)) + " |")


if __name__ == "__main__":
    main()
