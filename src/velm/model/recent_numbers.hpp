#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

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
    char* write(double value, char* out);

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
};

}  // namespace velm
