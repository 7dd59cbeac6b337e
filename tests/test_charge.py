"""ChargePolarity and Charge as a host uses them."""

import pytest

import velm_engine as velm
from velm_engine import NEGATIVE, NEUTRAL, POSITIVE, Charge, ChargePolarity


class TestPolarity:
    def test_exported_members_are_the_enum_members(self):
        assert velm.POSITIVE is ChargePolarity.POSITIVE
        assert velm.NEGATIVE is ChargePolarity.NEGATIVE
        assert velm.NEUTRAL is ChargePolarity.NEUTRAL

    @pytest.mark.parametrize("member, value", [(POSITIVE, 0), (NEGATIVE, 1), (NEUTRAL, 2)])
    def test_values_and_no_integer_equality(self, member, value):
        assert member.value == value
        assert int(member) == value
        assert member != value
        assert member == ChargePolarity(value)

    def test_members_are_not_ordered(self):
        with pytest.raises(TypeError):
            POSITIVE < NEGATIVE  # type: ignore[operator]  # noqa: B015

    def test_unknown_value_is_kept_and_written_as_neutral(self):
        odd = ChargePolarity(7)
        assert odd.value == 7
        charge = Charge(1, odd, "x")
        assert charge.polarity == odd
        assert '"polarity":"neutral"' in charge.to_json()


class TestConstruction:
    def test_positional_and_keyword_agree(self):
        by_position = Charge(2.5, NEGATIVE, "q")
        by_keyword = Charge(visual_id="q", polarity=NEGATIVE, magnitude=2.5)
        assert by_position.to_json() == by_keyword.to_json()

    def test_int_magnitude_reads_back_as_float(self):
        magnitude = Charge(1, POSITIVE, "a").magnitude
        assert type(magnitude) is float and magnitude == 1.0

    @pytest.mark.parametrize("args", [
        (1.0, 0, "a"),            # an integer is not a polarity
        ("1", POSITIVE, "a"),     # a text is not a magnitude
        (1.0, POSITIVE, 5),       # a number is not a visual id
        (1.0, POSITIVE),          # missing argument
    ])
    def test_bad_arguments_raise_type_error(self, args):
        with pytest.raises(TypeError):
            Charge(*args)

    def test_unknown_keyword_raises_type_error(self):
        with pytest.raises(TypeError):
            Charge(1.0, POSITIVE, "a", colour="red")  # type: ignore[call-arg]

    def test_fields_read_and_write(self):
        charge = Charge(1, POSITIVE, "a")
        charge.magnitude = -4
        charge.polarity = NEUTRAL
        charge.visual_id = "b"
        assert (charge.magnitude, charge.polarity, charge.visual_id) == (-4.0, NEUTRAL, "b")
        with pytest.raises(TypeError):
            charge.polarity = 1  # type: ignore[assignment]
        assert charge.polarity == NEUTRAL
