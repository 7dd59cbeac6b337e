"""Running the command line as a user runs it, in a fresh interpreter."""
import json
import subprocess
import sys
from pathlib import Path

PROGRAM = [sys.executable, "-m", "velm_levels"]


def run_cli(*arguments, cwd, timeout=300, **options):
    """Runs `python -m velm_levels ARGUMENTS` and returns the finished process,
    its output as text."""
    return subprocess.run([*PROGRAM, *map(str, arguments)], capture_output=True, text=True,
                          cwd=cwd, timeout=timeout, **options)


def write_level(path: Path, zone, **top_level) -> Path:
    """Writes a level file with the top zone `zone` and further top-level keys."""
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_text(json.dumps({**top_level, "zone": zone}), encoding="utf-8")
    return path


def charge(magnitude, polarity="positive", visual_id="c"):
    return {"magnitude": magnitude, "polarity": polarity, "visual_id": visual_id}


def solved_zone(zone_id="Top"):
    """A zone whose magician adds 3 + 4: solved in 2 frames, value +7."""
    return {"id": zone_id, "charges": [charge(3), charge(4)],
            "agents": [{"kind": "plus_magician", "visual_id": "p"}]}


def stalled_zone(zone_id="Top"):
    """A zone held by a Chronomancer around an inner zone: stalled in 1 frame."""
    return {"id": zone_id, "charges": [charge(1)],
            "sub_environments": [{"id": "Vault", "charges": [charge(2)],
                                  "agents": [{"kind": "chronomancer", "visual_id": "k"}]}]}


def endless_zone(zone_id="Treadmill"):
    """A zone that meets the frame limit: 1001 Purifiers, one spent per frame."""
    return {"id": zone_id, "charges": [charge(1, "negative")],
            "agents": [{"kind": "abs_magician", "visual_id": "s", "repeat": 1001}]}
