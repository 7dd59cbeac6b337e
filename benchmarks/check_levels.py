"""Times `check` on a folder of generated levels with one worker and with two.

    .venv/bin/python benchmarks/check_levels.py [--levels 2000] [--repeat 3]

Writes the levels to a temporary folder, runs the whole command as a user
would (`python -m velm_levels check FOLDER --jobs N --format json`), and
prints, for each number of jobs, the best wall time of the runs, the levels
checked per second and the speed-up over one job. Start-up (the interpreter,
the worker processes) is part of every time, as it is for a user.
"""

import argparse
import json
import random
import subprocess
import sys
import tempfile
import time
from pathlib import Path

KINDS = ("plus_magician", "minus_magician", "multiply_magician", "divide_magician",
         "power_sorcerer", "root_magician", "abs_magician", "factorial_magician",
         "modulo_magician", "log_magician")
POLARITIES = ("positive", "negative", "neutral")


def generated_level(rng: random.Random, number: int) -> dict[str, object]:
    """A small random level: a top zone over up to three inner zones, each with
    a few charges and agents, the way hand-made puzzles look."""
    def zone(name: str, inner: list[dict[str, object]]) -> dict[str, object]:
        return {
            "id": name,
            "charges": [{"magnitude": rng.randint(1, 12), "polarity": rng.choice(POLARITIES),
                         "visual_id": f"{name}c{index}"} for index in range(rng.randint(1, 4))],
            "agents": [{"kind": rng.choice(KINDS), "visual_id": f"{name}a{index}"}
                       for index in range(rng.randint(1, 3))],
            "sub_environments": inner,
        }
    inner = [zone(f"Inner{index}", []) for index in range(rng.randint(0, 3))]
    return {"title": f"Generated level {number}", "zone": zone("Top", inner)}


def write_levels(folder: Path, count: int) -> None:
    rng = random.Random(12)
    for number in range(count):
        (folder / f"level{number:05}.json").write_text(json.dumps(generated_level(rng, number)))


def time_check(folder: Path, jobs: int) -> float:
    start = time.perf_counter()
    result = subprocess.run(
        [sys.executable, "-m", "velm_levels", "check", str(folder), "--jobs", str(jobs),
         "--format", "json"], capture_output=True, text=True)
    elapsed = time.perf_counter() - start
    if result.returncode not in (0, 1):
        raise SystemExit(f"check failed with status {result.returncode}:\n{result.stderr}")
    return elapsed


def main() -> None:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--levels", type=int, default=2000, help="levels to generate")
    parser.add_argument("--repeat", type=int, default=3, help="runs per number of jobs")
    options = parser.parse_args()
    with tempfile.TemporaryDirectory() as folder:
        write_levels(Path(folder), options.levels)
        best = {jobs: min(time_check(Path(folder), jobs) for _ in range(options.repeat))
                for jobs in (1, 2)}
    print(f"check on {options.levels} generated levels, best of {options.repeat} runs")
    print("| jobs | seconds | levels/s | speed-up |")
    print("|---|---|---|---|")
    for jobs, seconds in best.items():
        print(f"| {jobs} | {seconds:.2f} | {options.levels / seconds:,.0f} | "
              f"{best[1] / seconds:.2f} |")


if __name__ == "__main__":
    main()
