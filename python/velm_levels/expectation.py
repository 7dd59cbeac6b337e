"""What a level's author expects a level to come to, and how a play differs."""

import math
from dataclasses import dataclass

from velm_levels.outcome import Outcome, OutcomeKind

# A value is met when it is within a billionth of the expected one, relatively
# or, near zero, absolutely: enough for the rounding of a few operations.
VALUE_TOLERANCE = 1e-9


@dataclass(frozen=True)
class Expectation:
    """An `expect` object: the outcome (solved unless it says otherwise) and,
    when given, the value a solved level comes to and the frames it takes."""

    outcome: OutcomeKind = OutcomeKind.SOLVED
    value: float | None = None
    frames: int | None = None

    def unmet(self, outcome: Outcome) -> list[str]:
        """What `outcome` misses, one text per expected key, such as
        "expected value 15, got +14"; empty when every key is met."""
        misses = []
        if outcome.kind is not self.outcome:
            misses.append(f"expected {self.outcome}, got {outcome.kind}")
        if self.value is not None and not _close(outcome.value, self.value):
            got = outcome.shown_value or "no value"
            misses.append(f"expected value {_number(self.value)}, got {got}")
        if self.frames is not None and outcome.frames != self.frames:
            misses.append(f"expected {self.frames} frames, got {outcome.frames}")
        return misses


def _close(value: float | None, expected: float) -> bool:
    return value is not None and math.isclose(value, expected, rel_tol=VALUE_TOLERANCE,
                                              abs_tol=VALUE_TOLERANCE)


def _number(value: float) -> str:
    return str(int(value)) if value.is_integer() and abs(value) < 1e16 else repr(value)
