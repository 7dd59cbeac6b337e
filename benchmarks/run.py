"""Times the frame loop on levels of several shapes and prints a table.

    make bench                                   # sets everything up, runs this
    .venv/bin/python benchmarks/run.py --repeat 9 --only wide,deep

For every shape it reports, as medians of interleaved samples taken in this
one process: the first `next_frame()` of a freshly built level; the same
zone's `to_json()` right after that frame; `json.dumps` and `orjson.dumps`
of that frame's report already held as a dict (the cost of writing the text
alone, as a floor); frames per second when the level is played until it
stops; and how the first frame's time grows when the level is ten times
larger.
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
class Shape:
    name: str
    build: Callable
    size: int
    growth_from: int
    description: str


SHAPES = (
    Shape("worked", levels.worked, 1, 1,
          "the four-frame worked example; ten times larger is ten copies of its inner zone"),
    Shape("wide", levels.wide, 1000, 1000, "1,000 inner zones of 5 charges and 3 agents each"),
    Shape("deep", levels.deep, 500, 50,
          "500 nested zones; growth is taken from 50 to 500, as 5,000 exceeds the nesting limit"),
    Shape("crowd", levels.crowd, 500, 500, "one zone with 500 agents of all kinds and priorities"),
    Shape("charges", levels.charges, 10_000, 10_000, "one zone with 10,000 charges"),
)

WORKED_TARGET_US = 5.0
WIDE_TARGET_RATIO = 3.0
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


def measure_shape(shape, repeat, plays):
    _, root, report, report_bytes = measure.first_frame_probe(shape.build, shape.size)
    small, large = shape.growth_from, 10 * shape.growth_from
    batches = {
        size: measure.loops_for(measure.first_frame_probe(shape.build, size)[0])
        for size in {shape.size, small, large}
    }
    timed_calls = {
        "to_json": root.to_json,
        "json.dumps": lambda: compact_dumps(report),
        "orjson.dumps": lambda: orjson.dumps(report),
    }
    if not orjson_can_write(report):
        del timed_calls["orjson.dumps"]
    loops = {name: calibrated(function) for name, function in timed_calls.items()}

    samples = {name: [] for name in ("next_frame", *timed_calls, "small", "large")}
    for _ in range(repeat):
        samples["next_frame"].append(measure.first_frames(shape.build, shape.size, batches[shape.size]))
        for name, function in timed_calls.items():
            samples[name].append(measure.calls(function, loops[name]))
        samples["small"].append(measure.first_frames(shape.build, small, batches[small]))
        samples["large"].append(measure.first_frames(shape.build, large, batches[large]))
    medians = {name: statistics.median(values) / 1000 for name, values in samples.items() if values}

    medians["fps"], medians["frames"] = play_rate(shape, plays)
    medians["growth"] = medians["large"] / medians["small"]
    medians["report_kb"] = report_bytes / 1024
    return medians


def play_rate(shape, plays):
    """(frames per second, frames) of playing the level until it stops."""
    _, probe_ns = measure.full_plays(shape.build, shape.size, 1)
    batch = measure.loops_for(probe_ns / 1e9)
    games = [measure.full_plays(shape.build, shape.size, batch) for _ in range(plays)]
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
    header = ("level", "size", "report KB", "next_frame µs", "to_json µs", "json.dumps µs",
              "orjson µs", "next_frame/orjson", "frames/s (frames)", "×10 level: time ×")
    rows = []
    for shape, m in results:
        rows.append((
            shape.name, f"{shape.size:,}", figure(m["report_kb"]), figure(m["next_frame"]),
            figure(m["to_json"]), figure(m["json.dumps"]), orjson_figure(m, figure),
            orjson_figure(m, lambda orjson_us: f"{m['next_frame'] / orjson_us:.2f}"),
            f"{figure(m['fps'])} ({m['frames']})",
            f"{m['growth']:.2f}",
        ))
    widths = [max(len(str(cell)) for cell in column) for column in zip(header, *rows)]
    for line in (header, tuple("-" * width for width in widths), *rows):
        print("| " + " | ".join(str(cell).ljust(width) for cell, width in zip(line, widths)) + " |")


def print_targets(results):
    by_name = {shape.name: m for shape, m in results}
    verdict = {True: "met", False: "NOT met"}
    if "worked" in by_name:
        took = by_name["worked"]["next_frame"]
        print(f"- worked example next_frame: {took:.2f} µs "
              f"(target under {WORKED_TARGET_US:g} µs): {verdict[took < WORKED_TARGET_US]}")
    if "wide" in by_name:
        ratio = by_name["wide"]["next_frame"] / by_name["wide"]["orjson.dumps"]
        print(f"- wide next_frame / orjson.dumps: {ratio:.2f} "
              f"(target at most {WIDE_TARGET_RATIO:g}): {verdict[ratio <= WIDE_TARGET_RATIO]}")
    worst = max(results, key=lambda result: result[1]["growth"])
    print(f"- ten times the level, worst growth: {worst[1]['growth']:.2f} on {worst[0].name} "
          f"(target at most {GROWTH_TARGET:g}): {verdict[worst[1]['growth'] <= GROWTH_TARGET]}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--repeat", type=int, default=7, help="samples per figure (default 7)")
    parser.add_argument("--plays", type=int, default=3,
                        help="samples of full plays for frames/s (default 3)")
    parser.add_argument("--only", help="comma-separated shape names: "
                        + ", ".join(shape.name for shape in SHAPES))
    args = parser.parse_args()
    # The standard library's encoder recurses once per nesting level of a report.
    sys.setrecursionlimit(10_000)
    chosen = [shape for shape in SHAPES
              if args.only is None or shape.name in args.only.split(",")]

    print(f"Python {platform.python_version()} on {platform.machine()}; "
          f"medians of {args.repeat} samples, frames/s median of {args.plays}.")
    print("next_frame is the first frame of a freshly built level (building is not timed);")
    print("to_json, json.dumps and orjson.dumps work on that frame's level and report;")
    print("frames counts the calls until the level stops: completed, or at the frame limit.\n")
    for shape in chosen:
        print(f"- {shape.name}: {shape.description}")
    print()
    results = []
    for shape in chosen:
        results.append((shape, measure_shape(shape, args.repeat, args.plays)))
        print(f"  measured {shape.name}", file=sys.stderr, flush=True)
    print_table(results)
    print()
    print_targets(results)


if __name__ == "__main__":
    main()
