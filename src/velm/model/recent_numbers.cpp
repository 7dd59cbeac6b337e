#include "velm/model/recent_numbers.hpp"

#include <bit>
#include <cstring>

#include <nlohmann/json.hpp>

namespace velm {

char* RecentNumbers::write(double value, char* out) {
    const auto bits = std::bit_cast<std::uint64_t>(value);
    // Fibonacci hashing spreads neighbouring values over the slots.
    Slot& slot = slots_[(bits * 0x9E3779B97F4A7C15) >> 56];
    if (slot.length != 0 && slot.bits == bits) {
        std::memcpy(out, slot.text.data(), LONGEST_TEXT);
        return out + slot.length;
    }
    char* end = nlohmann::detail::to_chars(out, out + ROOM, value);
    const auto length = static_cast<std::size_t>(end - out);
    slot.bits = bits;
    slot.length = static_cast<std::uint8_t>(length);
    std::memcpy(slot.text.data(), out, length);
    return end;
}

}  // namespace velm
