#pragma once

#include <cstdint>
#include <string_view>

namespace velm {

/// What every agent of one kind shares: its title, its priority, and the
/// prefix that names the charges it makes (each such charge is called the
/// prefix followed by the acting agent's own visual id; the Purifier renames
/// the charges it purifies with its prefix instead; empty for kinds that make
/// none).
struct AgentKind {
    std::string_view title;
    std::int32_t priority;
    std::string_view result_prefix;
};

/// The thirteen kinds, one row each.
namespace agent_kinds {

inline constexpr AgentKind PLUS_MAGICIAN{"Plus Magician", 10, "result_"};
inline constexpr AgentKind MINUS_MAGICIAN{"Minus Magician", 10, "result_"};
inline constexpr AgentKind MULTIPLY_MAGICIAN{"Multiply Magician", 50, "result_product_"};
inline constexpr AgentKind DIVIDE_MAGICIAN{"Divide Magician", 50, "result_quotient_"};
inline constexpr AgentKind MODULO_MAGICIAN{"The Scavenger", 50, "result_remainder_"};
inline constexpr AgentKind POWER_SORCERER{"Power Sorcerer", 75, "result_power_"};
inline constexpr AgentKind ROOT_MAGICIAN{"The Extractor", 75, "result_root_"};
inline constexpr AgentKind FACTORIAL_MAGICIAN{"The Replicator", 85, "result_factorial_"};
inline constexpr AgentKind ABS_MAGICIAN{"The Purifier", 90, "purified_"};
inline constexpr AgentKind LOG_MAGICIAN{"The Architect", 90, "result_log_"};
inline constexpr AgentKind CHRONOMANCER{"Chronomancer", 100, ""};
inline constexpr AgentKind EQUALS_GATE{"Equals Gate", 0, ""};
inline constexpr AgentKind INEQUALITY_GATE{"The Judge", 0, ""};

}  // namespace agent_kinds

}  // namespace velm
