"""Frame report texts read strictly, for a page that must show exactly what they say."""

import json
import math
from typing import Any, NoReturn

from velm_levels.replay_error import ReplayError

# The only keys whose values are true or false. Python counts True equal to 1,
# so a true where a number belongs would compare equal to an earlier 1.0 and go
# unnoticed by the comparison of frames; refusing it while parsing closes that gap.
_BOOLEAN_KEYS = frozenset({"is_time_frozen", "is_open"})


class ReportReader:
    """Parses the frame report texts of one run.

    Equal charges and agents of the run come back as one shared object, so
    that comparing two frames' lists mostly compares identities: a run of
    1,000 frames of 1,000 equal agents compares in a blink. The objects must
    therefore be read and never changed.
    """

    def __init__(self) -> None:
        self._known: dict[tuple[tuple[str, Any], ...], dict[str, Any]] = {}

    def parse(self, text: str) -> dict[str, Any]:
        """The JSON value of one frame report text.

        Raises ReplayError for text that is not JSON, for NaN, infinities and
        numbers too large to be finite (JSON has no such values, and the page
        could not embed them), for a key given twice in one object, and for
        true or false anywhere but as the value of is_time_frozen or is_open
        (or anything else there). The shape of the report is checked later.
        """
        try:
            report = json.loads(text, object_pairs_hook=self._object,
                                parse_constant=_refuse_constant, parse_float=_finite_float)
        except json.JSONDecodeError as error:
            raise ReplayError(f"expected JSON text: {error.msg}", f"column {error.colno}") from None
        except ValueError as error:
            # Our hooks, and Python's refusal of over-long integer literals.
            raise ReplayError(f"expected JSON text: {error}") from None
        except RecursionError:
            raise ReplayError("expected JSON nested less deeply than Python can read") from None
        if not isinstance(report, dict):
            raise ReplayError("expected a frame report (a JSON object), "
                              f"found {_json_type(report)}")
        return report

    def _object(self, pairs: list[tuple[str, Any]]) -> dict[str, Any]:
        for name, item in pairs:
            if (item.__class__ is bool) != (name in _BOOLEAN_KEYS):
                _refuse_boolean(name, item)
        try:
            identity = tuple(pairs)
            known = self._known.get(identity)
        except TypeError:  # holds a list or an object: a zone or a meta
            return _new_object(pairs)
        if known is None:
            known = self._known[identity] = _new_object(pairs)
        return known


def _new_object(pairs: list[tuple[str, Any]]) -> dict[str, Any]:
    value = dict(pairs)
    if len(value) < len(pairs):
        _refuse_repeated(pairs)
    return value


def _refuse_boolean(key: str, item: Any) -> NoReturn:
    if key in _BOOLEAN_KEYS:
        raise ValueError(f'expected true or false as "{key}", found {_json_type(item)}')
    raise ValueError(f'expected no true or false as "{key}", found {json.dumps(item)}')


def _refuse_repeated(pairs: list[tuple[str, Any]]) -> NoReturn:
    seen = set()
    for key, _ in pairs:
        if key in seen:
            raise ValueError(f'the key "{key}" is given twice in one object')
        seen.add(key)
    raise AssertionError("no key is repeated")


def _refuse_constant(name: str) -> NoReturn:
    raise ValueError(f"{name} is not a JSON number (reports write NaN and infinities as null)")


def _finite_float(text: str) -> float:
    number = float(text)
    if not math.isfinite(number):
        raise ValueError(f"the number {text} is too large to be finite")
    return number


def _json_type(value: Any) -> str:
    if value is None:
        return "null"
    if isinstance(value, bool):
        return "true" if value else "false"
    names: dict[type, str] = {str: "a string", int: "a number", float: "a number",
                              list: "an array", dict: "an object"}
    kind: type = type(value)
    return names.get(kind, kind.__name__)
