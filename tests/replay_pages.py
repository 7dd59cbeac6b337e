"""Reading replay pages back in tests: the data a page embeds, and the steps it shows."""

import copy
import json
import re

from golden_playthroughs import golden

_DATA = re.compile(r'<script id="replay-data" type="application/json">(.*?)</script>', re.DOTALL)


def page_data(html):
    """The run data embedded in a replay page's text."""
    (match,) = _DATA.findall(html)
    return json.loads(match)


def steps(data):
    """(meta, zone state) of every step a page shows, in order: meta is None
    for the level before its first frame. Edits are applied the plain way, one
    at a time to one working copy, to check the page's own, sharing, way; so
    the state yielded is one object changed in place from step to step."""
    state = copy.deepcopy(data["base"])
    if data["has_start"]:
        yield None, state
    for frame_index, meta_index, edits in data["frames"]:
        for edit in edits:
            apply_edit(state, edit)
        yield {"frame_index": frame_index, **data["metas"][meta_index]}, state


def apply_edit(zone, edit):
    path, key, *change = edit
    for index in path:
        zone = zone["sub_environments"][index]
    if len(change) == 1:
        zone[key] = change[0]
    else:
        start, removed, inserted = change
        zone[key][start:start + removed] = copy.deepcopy(inserted)


def state_of(report):
    """A frame report's zone state: the report without its meta."""
    return {key: value for key, value in report.items() if key != "meta"}


def recorded_texts(name):
    """The frame report texts of a bundled level's recorded run."""
    return golden(name).decode().splitlines()
