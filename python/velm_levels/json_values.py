"""Reading typed values out of a parsed JSON document, one checked place at a time.

Every reader takes the value and its place in the document and either returns
the value in the type the caller wants or raises LevelError saying what was
expected there and what was found.
"""

import json
import math
from collections.abc import Callable, Iterable, Mapping
from typing import Any, TypeVar

from velm_levels.errors import LevelError
from velm_levels.json_path import JsonPath

T = TypeVar("T")
Reader = Callable[[Any, JsonPath], T]

# Found values are quoted in messages; very long ones only in part.
_SHOWN_LENGTH = 40


def quote(text: str) -> str:
    """`text` as a JSON string literal, escaping only what cannot be printed."""
    try:
        text.encode("utf-8")
    except UnicodeEncodeError:
        return json.dumps(text)
    return json.dumps(text, ensure_ascii=False)


def quote_all(texts: Iterable[str]) -> str:
    """The texts quoted and listed with commas, for "expected one of" messages."""
    return ", ".join(quote(text) for text in texts)


def describe(value: Any) -> str:
    """A short mention of a found value: the value itself, or what kind it is."""
    if isinstance(value, dict):
        return "an object"
    if isinstance(value, list):
        return "an array"
    if isinstance(value, str):
        return quote(_shortened(value))
    return _shortened(json.dumps(value))


def _shortened(text: str) -> str:
    return text if len(text) <= _SHOWN_LENGTH else text[: _SHOWN_LENGTH - 3] + "..."


def _mismatch(expected: str, value: Any, place: JsonPath) -> LevelError:
    return LevelError(f"expected {expected}, found {describe(value)}", str(place))


def read_text(value: Any, place: JsonPath) -> str:
    """A string that the engine can store: Unicode text without lone surrogates."""
    if not isinstance(value, str):
        raise _mismatch("a string", value, place)
    try:
        value.encode("utf-8")
    except UnicodeEncodeError:
        raise LevelError("expected Unicode text, found an unpaired surrogate escape",
                         str(place)) from None
    return value


def read_finite_number(value: Any, place: JsonPath) -> float:
    """A number that is neither infinite nor NaN once held as a float."""
    if isinstance(value, (int, float)) and not isinstance(value, bool):
        try:
            number = float(value)
        except OverflowError:
            number = math.inf
        if math.isfinite(number):
            return number
    raise _mismatch("a finite number", value, place)


def whole_number_reader(low: int, high: int) -> Reader[int]:
    """A reader of whole numbers from `low` to `high`, both included."""

    def read(value: Any, place: JsonPath) -> int:
        if isinstance(value, int) and not isinstance(value, bool) and low <= value <= high:
            return value
        raise _mismatch(f"a whole number from {low} to {high}", value, place)

    return read


def choice_reader(choices: Mapping[str, T]) -> Reader[T]:
    """A reader of one of the strings that key `choices`, giving its value."""

    def read(value: Any, place: JsonPath) -> T:
        if isinstance(value, str) and value in choices:
            return choices[value]
        raise _mismatch(f"one of {quote_all(choices)}", value, place)

    return read


def read_elements(value: Any, place: JsonPath) -> list[tuple[Any, JsonPath]]:
    """The elements of an array, each with its own place."""
    if not isinstance(value, list):
        raise _mismatch("an array", value, place)
    return [(element, place.index(position)) for position, element in enumerate(value)]


class JsonObjectReader:
    """An object of the document, checked for repeated keys, read key by key."""

    def __init__(self, value: Any, place: JsonPath):
        if not isinstance(value, dict):
            raise _mismatch("an object", value, place)
        repeated = getattr(value, "repeated_keys", ())
        if repeated:
            raise LevelError("expected each key once, found this key repeated",
                             str(place.key(repeated[0])))
        self.value: dict[str, Any] = value
        self.place = place

    def allow_only(self, keys: Iterable[str]) -> "JsonObjectReader":
        """Refuses any key outside `keys`; returns the reader for chaining."""
        allowed = tuple(keys)
        for key in self.value:
            if key not in allowed:
                raise LevelError(f"unexpected key; expected one of {quote_all(allowed)}",
                                 str(self.place.key(key)))
        return self

    def members(self) -> list[tuple[str, Any, JsonPath]]:
        """Every key with its value and the value's place, in document order."""
        return [(key, value, self.place.key(key)) for key, value in self.value.items()]

    def required(self, key: str, read: Reader[T]) -> T:
        """The value under `key`, read by `read`; a missing key is an error."""
        if key not in self.value:
            raise LevelError(f"expected key {quote(key)}, which is missing", str(self.place))
        return read(self.value[key], self.place.key(key))

    def elements(self, key: str) -> list[tuple[Any, JsonPath]]:
        """The elements of the array under `key`, each with its place; none when absent."""
        return read_elements(self.value[key], self.place.key(key)) if key in self.value else []

    def optional(self, key: str, read: Reader[T], default: T) -> T:
        """The value under `key`, read by `read`, or `default` when it is absent."""
        if key not in self.value:
            return default
        return read(self.value[key], self.place.key(key))
