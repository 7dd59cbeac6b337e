"""A zone's charges written as one signed sum, for people to read."""

from collections.abc import Mapping, Sequence
from typing import Any

# Reports write NaN and the infinities as null, so which one it was is lost.
NOT_FINITE = "nonfinite"
# Neutral charges have no sign of their own; each agent kind counts them its own way.
NEUTRAL_SIGN = "±"
_SIGNS = {"positive": "+", "negative": "-"}


def signed_expression(charges: Sequence[Mapping[str, Any]]) -> str:
    """The charge objects of a report as a sum such as `+3 - 2 ± 4 + (-1)`.

    A neutral charge is marked ±, a magnitude written as null shows as
    "nonfinite", and a negative magnitude is bracketed after its sign.
    """
    if not charges:
        return "(no charges)"
    terms = [(_sign(charge), _magnitude(charge)) for charge in charges]
    first_sign, first_magnitude = terms[0]
    return first_sign + first_magnitude + "".join(
        f" {sign} {magnitude}" for sign, magnitude in terms[1:])


def _sign(charge: Mapping[str, Any]) -> str:
    return _SIGNS.get(charge["polarity"], NEUTRAL_SIGN)


def _magnitude(charge: Mapping[str, Any]) -> str:
    magnitude = charge["magnitude"]
    if magnitude is None:
        return NOT_FINITE
    text = _number(float(magnitude))
    return f"({text})" if text.startswith("-") else text


def _number(value: float) -> str:
    # Whole values without the ".0"; others in Python's shortest exact form.
    if value.is_integer() and abs(value) < 1e16:
        return str(int(value))
    return repr(value)
