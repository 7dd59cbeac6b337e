"""Sizes and timings of replay pages, and the time they take to open in Chromium.

    make bench-replay                                # sets everything up, runs this
    .venv/bin/python benchmarks/replay_page.py --only frame_limit --repeat 9

For each bundled level it plays the level and prints: the size of its record
(the frame reports as JSON Lines, as --jsonl writes them) and of its page;
the time to write the page from the reports; and, as medians over fresh
browser pages, the time from asking Chromium to open the page file until it
has loaded and drawn its first step, and until, after the End key, it shows
the last frame. The browser is Debian's /usr/bin/chromium, driven headless by
Playwright, already started before the first sample.
"""

import argparse
import json
import statistics
import tempfile
import time
from pathlib import Path

from playwright.sync_api import Browser, sync_playwright

from velm_levels import bundled_levels, load_level, play
from velm_levels.replay_page import write_replay_page

CHROMIUM = "/usr/bin/chromium"
DEFAULT_LEVELS = ("worked_example", "nested_citadel", "frame_limit")


def main() -> None:
    arguments = _arguments()
    levels = bundled_levels()
    print("| level | frames | record | page | write page | open | open + End |")
    print("|---|---:|---:|---:|---:|---:|---:|")
    with sync_playwright() as playwright, tempfile.TemporaryDirectory() as folder:
        browser = playwright.chromium.launch(executable_path=CHROMIUM)
        for name in arguments.only.split(","):
            level = load_level(levels[name])
            start = level.zone.to_json()
            texts = list(play(level.zone))
            page = Path(folder) / f"{name}.html"
            began = time.perf_counter()
            write_replay_page(page, texts, level.title, start=start)
            written = time.perf_counter() - began
            opened, ended = zip(*(_open_and_end(browser, page, texts)
                                  for _ in range(arguments.repeat)))
            record = sum(len(text.encode()) + 1 for text in texts)
            print(f"| {name} | {len(texts)} | {_size(record)} | {_size(page.stat().st_size)} "
                  f"| {written:.2f} s | {statistics.median(opened):.3f} s "
                  f"| {statistics.median(ended):.3f} s |")
        browser.close()


def _arguments() -> argparse.Namespace:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--only", default=",".join(DEFAULT_LEVELS),
                        help="comma-separated bundled level names (default: %(default)s)")
    parser.add_argument("--repeat", type=int, default=5, help="browser samples per level")
    return parser.parse_args()


def _open_and_end(browser: Browser, page_file: Path, texts: list[str]) -> tuple[float, float]:
    last_index = str(json.loads(texts[-1])["meta"]["frame_index"])
    context = browser.new_context()
    page = context.new_page()
    began = time.perf_counter()
    page.goto(page_file.as_uri())
    opened = time.perf_counter() - began
    page.keyboard.press("End")
    page.wait_for_function(
        "(index) => document.getElementById('frame-index').textContent === index", arg=last_index)
    ended = time.perf_counter() - began
    context.close()
    return opened, ended


def _size(count: int) -> str:
    return f"{count / 1e6:.1f} MB" if count >= 1e6 else f"{count / 1e3:.1f} kB"


if __name__ == "__main__":
    main()
