"""Replay pages opened in a real browser: Debian's Chromium, driven by Playwright.

`make test-browser` installs both and runs these tests with
VELM_REQUIRE_BROWSER=1, under which a missing browser fails every test; CI
runs it. Elsewhere (as in `make test`) they are skipped when the browser or
Playwright is missing, with the reason.
"""

import importlib.util
import os
from pathlib import Path

import pytest

from velm_levels import cli

CHROMIUM = Path("/usr/bin/chromium")


def _missing_browser():
    if importlib.util.find_spec("playwright") is None:
        return "Playwright's Python package is not installed"
    if not CHROMIUM.exists():
        return f"Chromium is not installed at {CHROMIUM}"
    return None


@pytest.fixture(scope="session")
def browser():
    missing = _missing_browser()
    if missing is not None:
        if os.environ.get("VELM_REQUIRE_BROWSER") == "1":
            pytest.fail(f"{missing}, and VELM_REQUIRE_BROWSER=1 asks for the browser tests to run")
        pytest.skip(f"{missing}; `make test-browser` installs it and runs these tests")
    from playwright.sync_api import sync_playwright
    with sync_playwright() as playwright:
        chromium = playwright.chromium.launch(executable_path=str(CHROMIUM))
        yield chromium
        chromium.close()


class Watch:
    """What a page did that a replay page must never do: fail a script, log
    an error, open a dialog, or ask for anything but its own file."""

    def __init__(self, page):
        self.problems: list[str] = []
        self.url = None
        page.on("pageerror", self._page_error)
        page.on("console", self._console)
        page.on("dialog", self._dialog)
        page.on("request", self._request)

    def _page_error(self, error):
        self.problems.append(f"script error: {error}")

    def _console(self, message):
        if message.type == "error":
            self.problems.append(f"console error: {message.text}")

    def _dialog(self, dialog):
        self.problems.append(f"dialog: {dialog.message}")
        dialog.dismiss()

    def _request(self, request):
        if request.url != self.url:
            self.problems.append(f"request: {request.url}")


@pytest.fixture
def open_page(browser):
    """Opens a page file in a fresh browser context and, once the test is
    done, fails it if the page did anything that Watch lists."""
    opened = []

    def open_file(path):
        context = browser.new_context(viewport={"width": 1100, "height": 800})
        page = context.new_page()
        watch = Watch(page)
        watch.url = Path(path).resolve().as_uri()
        opened.append((context, watch))
        page.goto(watch.url)
        return page

    yield open_file
    for context, watch in opened:
        context.close()
    assert [problem for _, watch in opened for problem in watch.problems] == []


@pytest.fixture
def played_page(tmp_path):
    """Writes the page of a bundled level's run with the player, which adds
    the level before its first frame and the outcome, and returns its path."""
    def write(name):
        path = tmp_path / f"{name}.html"
        assert cli.main(["play", name, "--quiet", "--html", str(path)]) in (0, 1, 3)
        return path
    return write
