"""Times the frame loop on levels of several shapes and sizes and prints a table.

    make bench                                   # sets everything up, runs this
    .venv/bin/python benchmarks/run.py --repeat 9 --only wide,deep

For every level it reports, as medians of interleaved samples taken in this
one process: a `next_frame()` of a level in play (the second frame of a
freshly built level) and the first frame of one; the same zone's `to_json()`
right after the second frame; `json.dumps` and `orjson.dumps` of that frame's
report already held as a dict (the cost of writing the text alone, as a
floor); frames per second when the level is played until it stops; and how a
frame's time grows from the same shape at a tenth of the size.
`benchmarks/compare.py` runs it under two builds.
"""

import argparse
import json
import platform
import statistics
import sys
from dataclasses import dataclass
from typing import Callable

import orjson

import levels
import measure


@dataclass(frozen=True)
class Row:
    """One level of the table: a shape at a size, compared for growth with
    the same shape at `smaller` (a tenth of the size), if given."""

    name: str
    build: Callable
    size: int
    smaller: int | None
    description: str

    @property
    def label(self):
        return self.name if self.name == "worked" else f"{self.name}-{self.size}"


ROWS = (
    Row("worked", levels.worked, 1, None, "the four-frame worked example"),
    Row("wide", levels.wide, 100, 10, "inner zones of 5 charges and 3 agents each"),
    Row("wide", levels.wide, 1000, 100, "the same, 1,000 inner zones"),
    Row("wide", levels.wide, 10_000, 1000, "the same, 10,000 inner zones"),
    Row("deep", levels.deep, 500, 50, "500 nested zones (orjson cannot nest that deep)"),
    Row("crowd", levels.crowd, 500, 50, "one zone with 500 agents of all kinds and priorities"),
    Row("charges", levels.charges, 10_000, 1000, "one zone with 10,000 charges"),
)

# Goals: the worked example's frame, the wide level's frame against orjson
# writing the same report, and growth from 100 to 1,000 zones.
WORKED_TARGET_US = 1.0
WIDE_TARGET_RATIO = 0.5
GROWTH_TARGET = 11.0


def compact_dumps(report):
    """The standard library's closest equivalent of the engine's text."""
    return json.dumps(report, ensure_ascii=False, separators=(",", ":"))


def orjson_can_write(report):
    """orjson refuses documents nested deeper than 255 levels."""
    try:
        orjson.dumps(report)
    except TypeError:
        return False
    return True


def calibrated(function):
    """How many calls of `function` fill one sample."""
    function()
    return measure.loops_for(measure.calls(function, 1) / 1e9)


class Sizing:
    """How one size of a row is timed: levels per group and per sample."""

    def __init__(self, build, size):
        seconds, _, _, report_bytes = measure.frame_probe(build, size, played=1)
        self.group = measure.group_size(report_bytes)
        self.batch = measure.loops_for(seconds)


def measure_row(row, repeat, plays):
    _, root, report, report_bytes = measure.frame_probe(row.build, row.size, played=1)
    sizes = {row.size} if row.smaller is None else {row.size, row.smaller}
    sizing = {size: Sizing(row.build, size) for size in sizes}
    timed_calls = {
        "to_json": root.to_json,
        "json.dumps": lambda: compact_dumps(report),
        "orjson.dumps": lambda: orjson.dumps(report),
    }
    if not orjson_can_write(report):
        del timed_calls["orjson.dumps"]
    loops = {name: calibrated(function) for name, function in timed_calls.items()}

    def frames(size, played):
        return measure.frames_after(row.build, size, sizing[size].batch, sizing[size].group,
                                    played)

    samples: dict[str, list[float]] = {
        name: [] for name in ("next_frame", "first_frame", *timed_calls, "smaller")}
    for _ in range(repeat):
        samples["next_frame"].append(frames(row.size, played=1))
        samples["first_frame"].append(frames(row.size, played=0))
        for name, function in timed_calls.items():
            samples[name].append(measure.calls(function, loops[name]))
        if row.smaller is not None:
            samples["smaller"].append(frames(row.smaller, played=1))
    medians = {name: statistics.median(values) / 1000 for name, values in samples.items() if values}

    medians["fps"], medians["frames"] = play_rate(row, sizing[row.size].group, plays)
    if row.smaller is not None:
        medians["growth"] = medians["next_frame"] / medians["smaller"]
    medians["report_kb"] = report_bytes / 1024
    return medians


def play_rate(row, group, plays):
    """(frames per second, frames) of playing the level until it stops."""
    _, probe_ns = measure.full_plays(row.build, row.size, 1, group)
    batch = measure.loops_for(probe_ns / 1e9)
    games = [measure.full_plays(row.build, row.size, batch, group) for _ in range(plays)]
    frames = games[0][0]
    return frames / (statistics.median(ns for _, ns in games) / 1e9), frames


def figure(value):
    """Three significant digits, without switching to exponents."""
    if value >= 100:
        return f"{value:,.0f}"
    return f"{value:.3g}" if value >= 1 else f"{value:.2g}"


def orjson_figure(medians, show):
    return show(medians["orjson.dumps"]) if "orjson.dumps" in medians else "too deep"


def print_table(results):
    header = ("level", "report KB", "next_frame µs", "first frame µs", "to_json µs",
              "json.dumps µs", "orjson µs", "next_frame/orjson", "frames/s (frames)",
              "µs/frame in play", "play/orjson", "×10 level: time ×")
    rows = []
    for row, m in results:
        rows.append((
            row.label, figure(m["report_kb"]), figure(m["next_frame"]), figure(m["first_frame"]),
            figure(m["to_json"]), figure(m["json.dumps"]), orjson_figure(m, figure),
            orjson_figure(m, lambda orjson_us: f"{m['next_frame'] / orjson_us:.2f}"),
            f"{figure(m['fps'])} ({m['frames']})", figure(1e6 / m["fps"]),
            orjson_figure(m, lambda orjson_us: f"{1e6 / m['fps'] / orjson_us:.2f}"),
            f"{m['growth']:.2f}" if "growth" in m else "–",
        ))
    widths = [max(len(str(cell)) for cell in column) for column in zip(header, *rows)]
    for line in (header, tuple("-" * width for width in widths), *rows):
        print("| " + " | ".join(str(cell).ljust(width) for cell, width in zip(line, widths)) + " |")


def print_targets(results):
    by_label = {row.label: m for row, m in results}
    verdict = {True: "met", False: "NOT met"}
    if "worked" in by_label:
        took = by_label["worked"]["next_frame"]
        print(f"- worked example next_frame: {took:.2f} µs "
              f"(goal at most {WORKED_TARGET_US:g} µs): {verdict[took <= WORKED_TARGET_US]}")
    if "wide-1000" in by_label:
        wide = by_label["wide-1000"]
        ratio = wide["next_frame"] / wide["orjson.dumps"]
        print(f"- wide-1000 next_frame / orjson.dumps: {ratio:.2f} on a level in play "
              f"(goal at most {WIDE_TARGET_RATIO:g}): {verdict[ratio <= WIDE_TARGET_RATIO]}; "
              f"{wide['first_frame'] / wide['orjson.dumps']:.2f} for the first frame of a "
              f"freshly built level, {1e6 / wide['fps'] / wide['orjson.dumps']:.2f} per frame "
              "of a whole play")
        print(f"- wide from 100 to 1,000 zones: time × {wide['growth']:.2f} "
              f"(goal at most {GROWTH_TARGET:g}): {verdict[wide['growth'] <= GROWTH_TARGET]}")
    if "wide-10000" in by_label:
        print(f"- wide from 1,000 to 10,000 zones: time × {by_label['wide-10000']['growth']:.2f}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--repeat", type=int, default=7, help="samples per figure (default 7)")
    parser.add_argument("--plays", type=int, default=3,
                        help="samples of full plays for frames/s (default 3)")
    parser.add_argument("--only", help="comma-separated levels: "
                        + ", ".join(row.label for row in ROWS)
                        + " (a shape's name selects all its sizes)")
    parser.add_argument("--json", action="store_true",
                        help="print the medians as one JSON object per level instead of a table")
    args = parser.parse_args()
    # The standard library's encoder recurses once per nesting level of a report.
    sys.setrecursionlimit(10_000)
    wanted = None if args.only is None else set(args.only.split(","))
    chosen = [row for row in ROWS if wanted is None or {row.name, row.label} & wanted]

    if not args.json:
        print(f"Python {platform.python_version()} on {platform.machine()}; "
              f"medians of {args.repeat} samples, frames/s median of {args.plays}.")
        print("next_frame is a frame of a level in play: the second of a freshly built level,")
        print("  whose first frame (untimed) has brought the level and memory for its text into")
        print("  use; first frame is that first frame (building is not timed in either);")
        print("to_json, json.dumps and orjson.dumps work on the second frame's level and report;")
        print("frames counts the calls until the level stops: completed, or at the frame limit;")
        print("µs/frame in play is the mean over those calls, on a level the frames keep warm;")
        print("×10 level compares next_frame with the same shape at a tenth of the size.\n")
        for row in chosen:
            print(f"- {row.label}: {row.description}")
        print()
    results = []
    for row in chosen:
        medians = measure_row(row, args.repeat, args.plays)
        results.append((row, medians))
        if args.json:
            print(json.dumps({"level": row.label, **medians}), flush=True)
        else:
            print(f"  measured {row.label}", file=sys.stderr, flush=True)
    if not args.json:
        print_table(results)
        print()
        print_targets(results)


if __name__ == "__main__":
    main()
