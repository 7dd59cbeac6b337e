"""Parts of frame reports checked against the report format's JSON Schema.

The schema ships in the package, under schemas/. A run is checked piece by
piece: the first state whole, then only what each frame changes, so a long run
costs little more than its changes. The zone checks are shallow (a zone's own
keys and the types of its lists); the charges, agents and inner zones in those
lists are checked as items of their own.
"""

import copy
import json
from collections.abc import Iterable
from importlib import resources
from typing import Any

import jsonschema
from jsonschema.exceptions import ValidationError

from velm_levels.replay_error import ReplayError

SCHEMA_FILE = ("schemas", "frame-report.schema.json")

# Parts checked on their own: the schema's definitions of these, and a zone's id.
_DEFINED_PARTS = ("zone", "agent", "charge", "is_time_frozen", "meta")
PARTS = (*_DEFINED_PARTS, "id")

_REPORT_KEYS = frozenset({"agents", "charges", "id", "is_time_frozen", "meta", "sub_environments"})

# Messages name the offending value; a whole zone could make one very long.
_MESSAGE_LENGTH = 200

# Checking one agent through all the alternatives of the schema takes about
# half a millisecond, and long runs repeat the same few items many times.
_CACHED_PARTS = ("agent", "charge")


class ReportSchema:
    """Checks frame reports and their parts against the report format."""

    def __init__(self) -> None:
        schema = json.loads(resources.files("velm_levels").joinpath(*SCHEMA_FILE).read_text())
        shallow = _without_list_items(schema)
        self._report = jsonschema.Draft202012Validator(shallow)
        self._parts = {part: jsonschema.Draft202012Validator({"$defs": shallow["$defs"],
                                                               "$ref": f"#/$defs/{part}"})
                       for part in _DEFINED_PARTS}
        zone_id = shallow["$defs"]["zone"]["properties"]["id"]
        self._parts["id"] = jsonschema.Draft202012Validator(zone_id)
        self._passed: dict[str, set[Any]] = {part: set() for part in _CACHED_PARTS}
        self._passed_metas: set[str] = set()

    def check_report_shape(self, report: Any) -> None:
        """Checks a report's top keys, its meta whole and the types of its lists."""
        if not _plain_report(report):
            # The schema is slow; it is asked only to say what is wrong.
            _raise_first(self._report.iter_errors(report), "$")
        meta = report["meta"]
        # Metas differ from frame to frame mostly in their index, so each
        # other variation is checked once.
        try:
            key = json.dumps({**meta, "frame_index": meta["frame_index"].__class__.__name__},
                             sort_keys=True)
        except (TypeError, KeyError):
            key = None
        if key not in self._passed_metas:
            _raise_first(self._parts["meta"].iter_errors(meta), "$.meta")
            if key is not None:
                self._passed_metas.add(key)

    def check(self, part: str, value: Any, place: str) -> None:
        """Checks `value` as one of PARTS; `place` is its JSON path in the report."""
        passed = self._passed.get(part)
        if passed is None:
            _raise_first(self._parts[part].iter_errors(value), place)
            return
        try:
            key = tuple(value.items())
            if key in passed:
                return
        except (AttributeError, TypeError):
            key = None  # not an object of plain values: the schema says why
        _raise_first(self._parts[part].iter_errors(value), place)
        if key is not None:
            passed.add(key)


def _plain_report(report: Any) -> bool:
    """Whether a report has the keys and the types of values of the format
    at its top (its meta aside), as every report of the engine has."""
    return (report.__class__ is dict and report.keys() == _REPORT_KEYS
            and all(report[key].__class__ is list
                    for key in ("agents", "charges", "sub_environments"))
            and report["id"].__class__ is str and report["is_time_frozen"].__class__ is bool
            and report["meta"].__class__ is dict)


def _without_list_items(schema: dict[str, Any]) -> dict[str, Any]:
    # Without "items" the validator does not even visit the elements.
    shallow = copy.deepcopy(schema)
    for name in ("agents", "charges", "sub_environments"):
        del shallow["$defs"][name]["items"]
    return shallow


def _raise_first(errors: Iterable[ValidationError], place: str) -> None:
    error = _most_telling(list(errors))
    if error is not None:
        message = error.message
        if len(message) > _MESSAGE_LENGTH:
            message = message[:_MESSAGE_LENGTH] + "…"
        raise ReplayError(message, place + error.json_path[1:])


def _most_telling(errors: list[ValidationError]) -> ValidationError | None:
    """The error that best says what is wrong: a direct one if there is any,
    else, inside "one of" alternatives, one of the alternative that came nearest."""
    if not errors:
        return None
    direct = [error for error in errors if error.validator not in ("oneOf", "anyOf")]
    if direct:
        return direct[0]
    alternatives: dict[Any, list[ValidationError]] = {}
    for error in errors[0].context or ():
        alternatives.setdefault(error.relative_schema_path[0], []).append(error)
    if not alternatives:
        return errors[0]
    return _most_telling(min(alternatives.values(), key=len))
