"""Draws a replay page in headless Chromium and saves it as the README's picture.

    make screenshot                                  # sets everything up, runs this
    .venv/bin/python scripts/replay_screenshot.py docs/replay.png [--level NAME] [--step N]

It plays a bundled level, writes its replay page as `--html` does, opens it,
steps forward with the ArrowRight key and saves the whole page as PNG.
"""

import argparse
import tempfile
from pathlib import Path

from playwright.sync_api import sync_playwright

from velm_levels import bundled_levels, load_level, play
from velm_levels.replay_page import write_replay_page

CHROMIUM = "/usr/bin/chromium"


def main() -> None:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("picture", type=Path, help="the PNG file to write")
    parser.add_argument("--level", default="nested_citadel",
                        help="a bundled level (default: %(default)s)")
    parser.add_argument("--step", type=int, default=1,
                        help="how many steps past the level as built (default: %(default)s)")
    arguments = parser.parse_args()
    level = load_level(bundled_levels()[arguments.level])
    start = level.zone.to_json()
    with tempfile.TemporaryDirectory() as folder, sync_playwright() as playwright:
        page_file = Path(folder) / "replay.html"
        write_replay_page(page_file, list(play(level.zone)), level.title, start=start)
        browser = playwright.chromium.launch(executable_path=CHROMIUM)
        page = browser.new_page(viewport={"width": 1000, "height": 600})
        page.goto(page_file.as_uri())
        for _ in range(arguments.step):
            page.keyboard.press("ArrowRight")
        page.screenshot(path=arguments.picture, full_page=True)
        browser.close()


if __name__ == "__main__":
    main()
