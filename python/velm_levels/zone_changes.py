"""What changed in a level's zone tree from one frame to the next, as a list
of small edits that turn the earlier state into the later one.

An edit is a JSON array that names a zone by its path of indices into
`sub_environments` from the top zone, then either replaces one of its two
plain values:

    [path, "id" | "is_time_frozen", new value]

or splices one of its three lists, like JavaScript's Array.prototype.splice:

    [path, "agents" | "charges" | "sub_environments", start, removed count, inserted items]

Edits are listed parents first and apply in order; every path is valid in
the tree as the edits before it have left it. A frame in which an agent acts
comes down to one or two splices, so a long run costs about its changes.

Every part of the later state that differs from the earlier one is checked
against the report format; what is unchanged was checked when it first came.
"""

from collections.abc import Callable, Sequence
from typing import Any

from velm_levels.report_schema import ReportSchema

ZONE_KEYS = frozenset({"agents", "charges", "id", "is_time_frozen", "sub_environments"})
_ITEM_LISTS = (("agents", "agent"), ("charges", "charge"))
_LIST_KEYS = ("agents", "charges", "sub_environments")

Zone = dict[str, Any]
Edit = list[Any]


class ZoneChanges:
    """Checks zone trees and lists the edits between two of them."""

    def __init__(self, schema: ReportSchema):
        self._schema = schema

    def check_tree(self, zone: Any, place: str = "$") -> None:
        """Checks a whole zone tree against the report format."""
        # A loop rather than recursion: the engine plays trees nested far
        # deeper than Python's recursion limit.
        pending = [(zone, place)]
        while pending:
            zone, place = pending.pop()
            self._check_zone(zone, place)
            for key, part in _ITEM_LISTS:
                for index, item in enumerate(zone[key]):
                    self._schema.check(part, item, f"{place}.{key}[{index}]")
            pending.extend((inner, f"{place}.sub_environments[{index}]")
                           for index, inner in enumerate(zone["sub_environments"]))

    def edits(self, before: Zone, after: Any) -> list[Edit]:
        """The edits that turn the checked tree `before` into `after`, which
        is checked where it differs from `before`."""
        edits: list[Edit] = []
        pending: list[tuple[Zone, Any, list[int], str]] = [(before, after, [], "$")]
        while pending:
            before, after, path, place = pending.pop()
            self._check_zone(after, place)
            for key in ("id", "is_time_frozen"):
                if before[key] != after[key]:
                    self._schema.check(key, after[key], f"{place}.{key}")
                    edits.append([path, key, after[key]])
            for key, part in _ITEM_LISTS:
                if before[key] != after[key]:
                    start, removed, count = _splice(before[key], after[key])
                    inserted = after[key][start:start + count]
                    for offset, item in enumerate(inserted):
                        self._schema.check(part, item, f"{place}.{key}[{start + offset}]")
                    edits.append([path, key, start, removed, inserted])
            pending.extend(self._inner_pairs(before, after, path, place, edits))
        return edits

    def _inner_pairs(self, before: Zone, after: Zone, path: list[int], place: str,
                     edits: list[Edit]) -> list[tuple[Zone, Any, list[int], str]]:
        """The inner zones of `after` paired with those of `before` that they
        continue, by place in the list; when the count changed, inner zones are
        matched by id from both ends and those between are spliced in whole."""
        old, new = before["sub_environments"], after["sub_environments"]
        places = [f"{place}.sub_environments[{index}]" for index in range(len(new))]
        if len(old) == len(new):
            return [(old[index], new[index], [*path, index], places[index])
                    for index in range(len(new))]
        for zone, zone_place in zip(new, places):
            self._check_zone(zone, zone_place)
        start, removed, count = _splice([zone["id"] for zone in old], [zone["id"] for zone in new])
        inserted = new[start:start + count]
        for offset, zone in enumerate(inserted):
            self.check_tree(zone, places[start + offset])
        edits.append([path, "sub_environments", start, removed, inserted])
        shift = removed - count  # from an index in `new` after the splice to `old`
        kept = [*range(start), *range(start + count, len(new))]
        return [(old[index if index < start else index + shift], new[index], [*path, index],
                 places[index])
                for index in kept]

    def _check_zone(self, zone: Any, place: str) -> None:
        # The schema is slow; it is asked only to say what is wrong.
        if (zone.__class__ is not dict or zone.keys() != ZONE_KEYS
                or any(zone[key].__class__ is not list for key in _LIST_KEYS)):
            self._schema.check("zone", zone, place)


def _splice(old: Sequence[Any], new: Sequence[Any]) -> tuple[int, int, int]:
    """(start, removed count, inserted count) that turn `old` into `new`,
    keeping the longest run of equal items at the end, then at the start.

    The end is kept first because agents leave and charges are spent from
    wherever they stand, while of several equal items the first one goes:
    keeping the end then removes the first, as the engine did."""
    most = min(len(old), len(new))
    kept_end = _longest(lambda length: old[len(old) - length:] == new[len(new) - length:], most)
    rest = most - kept_end
    kept_start = _longest(lambda length: old[:length] == new[:length], rest)
    return kept_start, len(old) - kept_start - kept_end, len(new) - kept_start - kept_end


def _longest(equal: Callable[[int], bool], most: int) -> int:
    """The largest length up to `most` for which `equal` holds, for a test
    that holds up to some length and not beyond. A binary search over slice
    comparisons: a run of 1,000 agents costs a few comparisons made in C
    rather than 1,000 made in Python."""
    low, high = 0, most
    while low < high:
        middle = (low + high + 1) // 2
        if equal(middle):
            low = middle
        else:
            high = middle - 1
    return low
