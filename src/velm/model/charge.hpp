#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace velm {

class JsonTextWriter;

/// The sign of a charge. Values outside the three enumerators are stored as
/// given and behave like NEUTRAL everywhere. Scoped so that it never converts
/// to an integer behind the caller's back (Python sees no integer equality).
enum class ChargePolarity : std::int32_t { POSITIVE = 0, NEGATIVE = 1, NEUTRAL = 2 };
using enum ChargePolarity;

/// JSON text of a polarity: "positive", "negative", or "neutral" for any other value.
std::string_view polarity_text(ChargePolarity polarity);

/// One signed quantity of the puzzle, held by value in its zone's charge list.
struct Charge {
    double magnitude;
    ChargePolarity polarity;
    std::string visual_id;

    Charge(double magnitude, ChargePolarity polarity, std::string visual_id)
        : magnitude(magnitude), polarity(polarity), visual_id(std::move(visual_id)) {}

    /// {"magnitude", "polarity", "visual_id"}; the magnitude is always a float number.
    nlohmann::json to_json() const;

    /// Writes the text of `to_json()` straight to `out`.
    void write_json(JsonTextWriter& out) const;
};

}  // namespace velm
