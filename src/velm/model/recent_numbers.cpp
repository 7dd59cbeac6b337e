#include "velm/model/recent_numbers.hpp"

#include <bit>
#include <cstring>

#include <nlohmann/json.hpp>

namespace velm {

char* RecentNumbers::format_into(Slot& slot, double value, char* out) {
    char* end = nlohmann::detail::to_chars(out, out + ROOM, value);
    const auto length = static_cast<std::size_t>(end - out);
    slot.bits = std::bit_cast<std::uint64_t>(value);
    slot.length = static_cast<std::uint8_t>(length);
    std::memcpy(slot.text.data(), out, length);
    return end;
}

}  // namespace velm
