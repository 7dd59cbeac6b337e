#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace velm {

/// The texts that the JSON library's float formatter gave the numbers written
/// lately, looked up by their bits.
///
/// A level holds few distinct magnitudes, and every report writes all of them
/// again, frame after frame, so most numbers are found here instead of being
/// formatted anew; what is written is always the library's own text.
class RecentNumbers {
public:
    /// Room that `write` needs at `out`.
    static constexpr std::size_t ROOM = 64;

    /// Writes the text of the finite `value` at `out` and returns its end.
    char* write(double value, char* out) {
        const auto bits = std::bit_cast<std::uint64_t>(value);
        // Fibonacci hashing spreads neighbouring values over the slots.
        Slot& slot = slots_[(bits * 0x9E3779B97F4A7C15) >> 56];
        if (slot.length != 0 && slot.bits == bits) {
            std::memcpy(out, slot.text.data(), LONGEST_TEXT);
            return out + slot.length;
        }
        return format_into(slot, value, out);
    }

private:
    static constexpr std::size_t SLOTS = 256;
    /// Longer than any text of the formatter (at most 24 bytes).
    static constexpr std::size_t LONGEST_TEXT = 32;

    struct Slot {
        std::uint64_t bits = 0;
        std::array<char, LONGEST_TEXT> text{};
        std::uint8_t length = 0;  // 0: empty, as no text is that short
    };
    std::array<Slot, SLOTS> slots_{};

    /// Formats `value` at `out` and keeps its text in `slot`.
    static char* format_into(Slot& slot, double value, char* out);
};

}  // namespace velm
