"""Replay pages in Chromium: every step shows its report, the controls and
keys move as they say, nothing leaves the page, hostile ids stay text, and
the longest bundled run opens and reaches its end quickly."""

import json
import math
import re
import time

import pytest

import velm_engine as velm

from replay_pages import recorded_texts, state_of
from velm_levels import bundled_levels
from velm_levels.outcome import describe, outcome_of
from velm_levels.replay_page import write_replay_page

SMALL_LEVELS = sorted(set(bundled_levels()) - {"frame_limit"})

# What the page shows of the current step, read in one call.
SHOWN = """() => ({
  frame: document.getElementById('frame-index').textContent,
  status: document.getElementById('status').textContent,
  message: document.getElementById('message').textContent,
  outcome: document.getElementById('outcome').hidden ? null
           : document.getElementById('outcome-text').textContent,
})"""

# The zones as drawn, without the ghosts of what the frame took away.
DRAWN = """() => {
  const texts = (box, selector, parts) => [...box.querySelectorAll(selector)]
      .map((item) => parts.map((part) => item.querySelector(part).textContent));
  const zone = (box) => ({
    id: box.querySelector(':scope > .zone-head .zone-id').textContent,
    frozen: box.classList.contains('frozen'),
    charges: texts(box, ':scope > .row.charges > .chip:not(.ghost)', ['.sign', '.value', '.ident']),
    agents: texts(box, ':scope > .row.agents > .agent:not(.ghost)', ['.agent-title', '.ident']),
    inner: [...box.querySelectorAll(':scope > .inner > .zone:not(.ghost)')].map(zone),
  });
  return zone(document.querySelector('#level > .zone'));
}"""

SIGNS = {"positive": "+", "negative": "\u2212", "neutral": "\u00b1"}
# The step buttons, in the order they stand on the page.
BUTTONS = ("first", "prev", "next", "last")


def shown(page):
    return page.evaluate(SHOWN)


def js_number(value):
    """A magnitude as the page writes it (JavaScript's shortest form)."""
    if value is None:
        return "NaN/\u221e"
    text = str(int(value)) if value.is_integer() and abs(value) < 1e21 else repr(value)
    text = re.sub(r"e([+-])0*(\d)", r"e\1\2", text).replace("-", "\u2212")
    return f"({text})" if value < 0 else text


def drawing(zone):
    """What DRAWN reads from the page for a zone state."""
    return {
        "id": zone["id"], "frozen": zone["is_time_frozen"],
        "charges": [[SIGNS[charge["polarity"]], js_number(charge["magnitude"]), charge["visual_id"]]
                    for charge in zone["charges"]],
        "agents": [[agent["name"], agent["visual_id"]] for agent in zone["agents"]],
        "inner": [drawing(inner) for inner in zone["sub_environments"]],
    }


def expected_shown(report, outcome=None):
    meta = report["meta"]
    return {"frame": str(meta["frame_index"]), "status": meta["status"], "message": meta["message"],
            "outcome": outcome}


@pytest.mark.parametrize("name", SMALL_LEVELS)
def test_every_step_of_a_bundled_level_shows_its_report(open_page, played_page, name):
    page = open_page(played_page(name))
    reports = [json.loads(text) for text in recorded_texts(name)]
    assert shown(page) == {"frame": "0", "status": "NOT STARTED",
                           "message": "The level as built, before its first frame.",
                           "outcome": None}
    last = reports[-1]["meta"]
    for number, report in enumerate(reports, 1):
        page.keyboard.press("ArrowRight")
        outcome = describe(outcome_of(reports[-1])) if number == len(reports) else None
        assert shown(page) == expected_shown(report, outcome)
        assert page.evaluate(DRAWN) == drawing(state_of(report))
    page.keyboard.press("ArrowRight")
    assert shown(page)["frame"] == str(last["frame_index"])


def test_a_page_from_a_record_starts_at_the_first_report(open_page, tmp_path):
    texts = recorded_texts("nested_citadel")
    write_replay_page(tmp_path / "page.html", texts, "citadel")
    page = open_page(tmp_path / "page.html")
    assert shown(page) == expected_shown(json.loads(texts[0]))
    page.keyboard.press("End")
    assert page.evaluate(DRAWN) == drawing(state_of(json.loads(texts[-1])))


def test_buttons_and_slider_move_between_steps(open_page, played_page):
    page = open_page(played_page("nested_citadel"))
    reports = [json.loads(text) for text in recorded_texts("nested_citadel")]
    disabled = "(id) => document.getElementById(id).disabled"
    assert [page.evaluate(disabled, id) for id in BUTTONS] == [True, True, False, False]
    page.click("#next")
    page.click("#next")
    assert shown(page)["frame"] == "2"
    page.click("#prev")
    assert shown(page)["message"] == reports[0]["meta"]["message"]
    page.click("#last")
    assert shown(page)["frame"] == str(reports[-1]["meta"]["frame_index"])
    assert [page.evaluate(disabled, id) for id in BUTTONS] == [False, False, True, True]
    page.click("#first")
    assert shown(page)["frame"] == "0"
    page.eval_on_selector("#slider", "(slider) => { slider.value = '4';"
                          " slider.dispatchEvent(new Event('input', { bubbles: true })); }")
    assert shown(page) == expected_shown(reports[3])


def test_keys_step_jump_and_play_wherever_the_focus_is(open_page, played_page):
    page = open_page(played_page("worked_example"))
    reports = [json.loads(text) for text in recorded_texts("worked_example")]
    page.keyboard.press("End")
    assert shown(page)["frame"] == "4"
    page.keyboard.press("ArrowLeft")
    assert shown(page)["frame"] == "3"
    page.keyboard.press("Home")
    assert shown(page)["frame"] == "0"
    # A focused slider or button must not add its own step to the key's.
    page.focus("#slider")
    page.keyboard.press("ArrowRight")
    assert shown(page)["frame"] == "1"
    page.select_option("#speed", "1")
    page.focus("#next")
    page.keyboard.press("Space")
    assert (shown(page)["frame"], page.get_attribute("#play", "aria-pressed")) == ("1", "true")
    page.keyboard.press("Space")
    assert page.get_attribute("#play", "aria-pressed") == "false"
    page.wait_for_timeout(1200)
    assert shown(page)["frame"] == "1"
    # Playing runs to the last step and stops there; from there it starts over.
    page.select_option("#speed", "20")
    page.keyboard.press("Space")
    page.wait_for_function(
        "() => document.getElementById('play').getAttribute('aria-pressed') === 'false'")
    assert shown(page) == expected_shown(reports[-1], "solved in 4 frames: +14")
    page.keyboard.press("Space")
    assert shown(page)["frame"] == "0"


def test_the_acting_agent_the_merged_zone_and_the_changes_are_marked(open_page, played_page):
    page = open_page(played_page("worked_example"))
    texts = ("(selector) => [...document.getElementById('level').querySelectorAll(selector)]"
             ".map((node) => node.innerText)")
    page.keyboard.press("ArrowRight")
    assert page.evaluate(texts, ".zone.frozen > .zone-head .frozen-badge.changed") == [
        "frozen: its agents wait"]
    assert page.evaluate(texts, ".acted") == ["ACTED\nMultiply Magician\nm1\npriority 50"]
    assert page.evaluate(texts, ".chip.ghost .ident") == ["three", "four"]
    assert page.evaluate(texts, ".chip.new .value") == ["12"]
    page.keyboard.press("ArrowRight")
    assert page.evaluate(texts, ".zone.acted .zone-id") == ["Inner"]
    assert page.evaluate(texts, ".zone.acting > .zone-head .zone-id") == ["Top"]
    assert page.evaluate(texts, ".chip.new .ident") == ["result_product_m1"]
    assert page.evaluate(texts, ".badge.changed") == ["no longer frozen"]


HOSTILE = "</script><script>alert(1)</script>"


def test_hostile_ids_are_shown_as_text_and_never_run(open_page, tmp_path):
    top = velm.Environment(HOSTILE)
    top.add_charge(2, velm.POSITIVE, "two\nlines")
    top.add_charge(3, velm.NEGATIVE, "<img src=x onerror=alert(2)>")
    top.add_plus_magician("<b>bold</b> &amp;")
    inner = velm.Environment("\u2028\r")
    inner.add_charge(1, velm.NEUTRAL, "")
    top.add_sub_environment(inner)
    start = top.to_json()
    texts = []
    sequencer = velm.NarrativeSequencer(top)
    while not sequencer.is_finished:
        texts.append(sequencer.next_frame())
    write_replay_page(tmp_path / "page.html", texts, HOSTILE + "\n<i>title</i>", start=start)
    page = open_page(tmp_path / "page.html")
    idents = "() => [...document.querySelectorAll('#level .ident')].map((node) => node.textContent)"
    assert page.evaluate(idents) == [HOSTILE, "two\nlines", "<img src=x onerror=alert(2)>",
                                     "<b>bold</b> &amp;", "\u2028\r", ""]
    assert page.text_content("#title") == HOSTILE + "\n<i>title</i>"
    assert page.inner_text(".chip .ident >> nth=0") == "two\nlines"
    assert page.evaluate("document.scripts.length") == 2
    assert page.evaluate("document.querySelectorAll('img, b, i').length") == 0
    page.keyboard.press("End")
    assert shown(page)["message"] == "Equation Resolved."


def test_non_finite_numbers_are_readable(open_page, tmp_path):
    top = velm.Environment("Top")
    top.add_charge(math.inf, velm.POSITIVE, "inf")
    top.add_charge(math.nan, velm.NEGATIVE, "nan")
    top.add_equals_gate("gate", math.nan)
    write_replay_page(tmp_path / "page.html", [velm.NarrativeSequencer(top).next_frame()], "odd")
    page = open_page(tmp_path / "page.html")
    chips = ("() => [...document.querySelectorAll('.chip:not(footer *)')]"
             ".map((chip) => chip.innerText)")
    assert page.evaluate(chips) == ["+NaN/\u221e\ninf", "\u2212NaN/\u221e\nnan"]
    assert page.inner_text(".agent .details") == "priority 0 \u00b7 opens when the sum = NaN/\u221e"


def test_the_longest_bundled_run_opens_and_reaches_its_end_within_two_seconds(open_page,
                                                                              played_page):
    path = played_page("frame_limit")
    last = json.loads(recorded_texts("frame_limit")[-1])
    started = time.perf_counter()
    page = open_page(path)
    page.keyboard.press("End")
    page.wait_for_function("() => document.getElementById('frame-index').textContent === '1000'")
    elapsed = time.perf_counter() - started
    assert shown(page) == expected_shown(
        last, describe(outcome_of(last)))
    assert page.evaluate(DRAWN) == drawing(state_of(last))
    assert elapsed < 2.0, f"{elapsed:.2f} s to open {path.stat().st_size} bytes and reach the end"
