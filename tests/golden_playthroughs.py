"""Golden playthroughs: the whole stream of frame reports of every bundled level,
kept in tests/playthroughs as JSON Lines, one report per line, exactly as the
engine returned it.

Run as a script (`make goldens`) after an intended change of behaviour: it plays
every bundled level again, rewrites the files and prints what changed.

A stream longer than COMPRESS_ABOVE bytes is kept xz-compressed instead
(`NAME.jsonl.xz`): the level that runs into the frame limit reports its whole
zone in each of its 1001 frames, some 38 MB of near-repeats that xz shrinks to
a few kilobytes.

The streams are played, read, written and compared with the same code as
`record` and `verify` on the command line (velm_levels.recording).
"""

from pathlib import Path

from velm_levels import bundled_levels, load_level
from velm_levels.record_output import RecordOutput
from velm_levels.recording import (
    Difference,
    describe_difference,
    first_difference,
    open_record,
    record_lines,
)

PLAYTHROUGHS = Path(__file__).parent / "playthroughs"
COMPRESS_ABOVE = 1 << 20


def play_stream(level_file: Path) -> bytes:
    """The frame reports of a whole playthrough of the level, as a JSON Lines file holds them."""
    return b"".join(record_lines(load_level(level_file)))


def golden_file(name: str) -> Path | None:
    """The file that holds the golden playthrough of level `name`, if there is one."""
    for candidate in (PLAYTHROUGHS / f"{name}.jsonl", PLAYTHROUGHS / f"{name}.jsonl.xz"):
        if candidate.exists():
            return candidate
    return None


def read_golden(name: str) -> bytes | None:
    """The recorded stream of level `name`, decompressed, or None when none is recorded."""
    path = golden_file(name)
    if path is None:
        return None
    with open_record(path) as record:
        return record.read()


def golden(name: str) -> bytes:
    """The recorded stream of level `name`, decompressed; raises LookupError
    when none is recorded."""
    stream = read_golden(name)
    if stream is None:
        raise LookupError(f"{name} has no recorded playthrough; run `make goldens`")
    return stream


def recorded_names() -> set[str]:
    """The names of all levels that have a golden playthrough."""
    return {path.name.removesuffix(".xz").removesuffix(".jsonl")
            for path in PLAYTHROUGHS.glob("*.jsonl*")}


def stream_difference(recorded: bytes, now: bytes) -> Difference | None:
    """The first frame in which two streams differ (a frame that one stream
    lacks counts), or None when they are the same."""
    return first_difference(recorded, now.splitlines(keepends=True))


def write_golden(name: str, stream: bytes) -> None:
    """Records `stream` as the golden playthrough of level `name`, replacing any other."""
    suffix = ".jsonl.xz" if len(stream) > COMPRESS_ABOVE else ".jsonl"
    path = PLAYTHROUGHS / f"{name}{suffix}"
    with RecordOutput(path) as record:
        for line in stream.splitlines(keepends=True):
            record.write_line(line)
    for other in (PLAYTHROUGHS / f"{name}.jsonl", PLAYTHROUGHS / f"{name}.jsonl.xz"):
        if other != path:
            other.unlink(missing_ok=True)


def remove_golden(name: str) -> None:
    """Deletes whatever golden playthrough level `name` has."""
    while (path := golden_file(name)) is not None:
        path.unlink()


def describe_change(name: str, recorded: bytes, now: bytes) -> list[str]:
    """How the stream of level `name` changed: frame counts, and a diff of the
    first differing frame with each report laid out one key per line."""
    difference = stream_difference(recorded, now)
    assert difference is not None
    old, new = recorded.splitlines(), now.splitlines()
    differing = sum(a != b for a, b in zip(old, new)) + abs(len(old) - len(new))
    return [f"changed  {name}: {differing} frames differ ({len(old)} before, {len(new)} now)",
            *describe_difference(difference)]


def regenerate() -> list[str]:
    """Plays every bundled level, records its stream and returns a report of what changed."""
    lines = []
    levels = bundled_levels()
    for name, level_file in levels.items():
        recorded, now = read_golden(name), play_stream(level_file)
        if recorded == now:
            lines.append(f"same     {name}")
            continue
        write_golden(name, now)
        lines += [f"new      {name}"] if recorded is None else describe_change(name, recorded, now)
    for name in sorted(recorded_names() - set(levels)):
        remove_golden(name)
        lines.append(f"removed  {name}: no such bundled level")
    return lines


if __name__ == "__main__":
    print("\n".join(regenerate()))
