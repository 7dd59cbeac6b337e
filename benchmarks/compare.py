"""Times two builds of the engine in one run and prints them side by side.

    .venv/bin/python benchmarks/compare.py --before OTHER/.venv/bin/python

OTHER is a second clone, set up with `make test` at the commit to compare
with (for example `git worktree add /tmp/before <commit>`). Each level is
measured by benchmarks/run.py under one interpreter and then the other, in
turns, so that load from elsewhere on the machine falls on both alike. Both
runs import the companion package from this checkout, so only the engine
module differs between them (an older clone's package may lack what the
benchmark levels use).
"""

import argparse
import json
import os
import pathlib
import subprocess
import sys

import run

RUN = pathlib.Path(__file__).with_name("run.py")
COMPANION = pathlib.Path(__file__).resolve().parent.parent / "python"


def measured(python, label, repeat):
    """The medians that run.py prints for one level under `python`."""
    result = subprocess.run(
        [python, str(RUN), "--json", "--only", label, "--repeat", str(repeat), "--plays", "1"],
        capture_output=True, text=True, check=True,
        env={**os.environ, "PYTHONPATH": str(COMPANION)})
    return json.loads(result.stdout)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--before", required=True, help="the interpreter of the other build")
    parser.add_argument("--after", default=sys.executable,
                        help="the interpreter of this build (default: this one)")
    parser.add_argument("--repeat", type=int, default=7, help="samples per figure (default 7)")
    parser.add_argument("--only", help="comma-separated levels, as run.py takes them")
    args = parser.parse_args()
    wanted = None if args.only is None else set(args.only.split(","))
    labels = [row.label for row in run.ROWS if wanted is None or {row.name, row.label} & wanted]

    print("| level | next_frame µs before | after | × faster | first frame µs before | after "
          "| to_json µs before | after | × faster | orjson µs | next_frame/orjson before "
          "| after |")
    print("|---|---|---|---|---|---|---|---|---|---|---|---|")
    for label in labels:
        before = measured(args.before, label, args.repeat)
        after = measured(args.after, label, args.repeat)
        orjson_us = after.get("orjson.dumps")
        cells = [
            label, run.figure(before["next_frame"]), run.figure(after["next_frame"]),
            f"{before['next_frame'] / after['next_frame']:.1f}",
            run.figure(before["first_frame"]), run.figure(after["first_frame"]),
            run.figure(before["to_json"]), run.figure(after["to_json"]),
            f"{before['to_json'] / after['to_json']:.1f}",
            run.figure(orjson_us) if orjson_us else "too deep",
            f"{before['next_frame'] / orjson_us:.2f}" if orjson_us else "–",
            f"{after['next_frame'] / orjson_us:.2f}" if orjson_us else "–",
        ]
        print("| " + " | ".join(cells) + " |", flush=True)


if __name__ == "__main__":
    main()
