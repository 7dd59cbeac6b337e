"""A run of frame reports in the compact form that the replay page embeds.

    {"title": ..., "outcome": ...,
     "has_start": whether "base" is the level before its first frame,
     "base": a zone state: the start, else the state after the first frame,
     "metas": [each distinct meta of the run, without its frame_index],
     "frames": [[frame_index, index into metas, edits from the state before], ...]}

The edits are those of velm_levels.zone_changes; without a start, the first
frame's list is empty. The 1001 reports of the bundled frame_limit level take
38 MB as text and about 0.1 MB in this form.
"""

import json
from collections.abc import Callable, Iterable, Mapping
from typing import Any

from velm_levels.replay_error import ReplayError
from velm_levels.report_schema import ReportSchema
from velm_levels.report_text import ReportReader
from velm_levels.zone_changes import ZONE_KEYS, Zone, ZoneChanges


def replay_data(reports: Iterable[str], title: str, *, start: str | None = None,
                outcome: str | None = None) -> dict[str, Any]:
    """The compact form of a run, from its frame report texts in order.

    `start` is the top zone's state text before the first frame
    (Environment.to_json()), when known; `outcome` is said on the last frame,
    by default the last report's status and message. Raises ReplayError,
    naming the report by its position from 1, for a report that does not
    follow the frame report format, and for a run without reports.
    """
    reader = ReportReader()
    schema = ReportSchema()
    changes = ZoneChanges(schema)
    base = None if start is None else _start_state(reader.parse, start, changes)
    previous = base
    metas: dict[str, int] = {}
    frames: list[list[Any]] = []
    last_meta: Mapping[str, Any] = {}
    for number, text in enumerate(reports, 1):
        try:
            report = reader.parse(text)
            schema.check_report_shape(report)
            state = {key: report[key] for key in ZONE_KEYS}
            if previous is None:
                changes.check_tree(state)
                edits = []
                base = state
            else:
                edits = changes.edits(previous, state)
        except ReplayError as error:
            raise error.at_report(number) from None
        last_meta = report["meta"]
        frames.append([last_meta["frame_index"], _meta_index(metas, last_meta), edits])
        previous = state
    if not frames:
        raise ReplayError("expected at least one frame report, found none")
    return {"title": title, "outcome": final_status(last_meta) if outcome is None else outcome,
            "has_start": start is not None, "base": base,
            "metas": [json.loads(meta) for meta in metas], "frames": frames}


def final_status(meta: Mapping[str, Any]) -> str:
    """How a run ended, told from the meta of its last report."""
    if meta["status"] == "RUNNING":
        return (f"the run stops after frame {meta['frame_index']}, "
                "with the level still RUNNING")
    return f"ended with {meta['status']}: {meta['message']}"


def _start_state(parse: Callable[[str], Zone], text: str, changes: ZoneChanges) -> Zone:
    try:
        state = parse(text)
        changes.check_tree(state)
    except ReplayError as error:
        place = f"the state before the first frame, {error.place or '$'}"
        raise ReplayError(error.problem, place) from None
    return state


def _meta_index(metas: dict[str, int], meta: Mapping[str, Any]) -> int:
    # Most frames of a run share their meta but for the index, so each
    # distinct rest is kept once.
    key = json.dumps({name: value for name, value in meta.items() if name != "frame_index"},
                     sort_keys=True)
    return metas.setdefault(key, len(metas))
