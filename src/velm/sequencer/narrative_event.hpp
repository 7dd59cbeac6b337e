#pragma once

#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace velm {

class JsonTextWriter;

/// The event types: an agent acted, a zone merged, the level completed.
inline constexpr std::string_view CAST_SPELL = "CAST_SPELL";
inline constexpr std::string_view COLLAPSE_ZONE = "COLLAPSE_ZONE";
inline constexpr std::string_view LEVEL_FINISHED = "FINISHED";

/// An acting agent's event: its description is the agent's title, this, and
/// the zone's id.
inline constexpr std::string_view CAST_SPELL_MIDDLE = " executed operation in ";

/// A merge's event names the Chronomancer although no agent takes part; its
/// visual id is the prefix and the merged zone's id, its description the
/// merged zone's id between the two texts.
inline constexpr std::string_view MERGE_AGENT_NAME = "Chronomancer";
inline constexpr std::string_view MERGE_VISUAL_ID_PREFIX = "shield_";
inline constexpr std::string_view MERGE_DESCRIPTION_START = "Zone ";
inline constexpr std::string_view MERGE_DESCRIPTION_END = " has resolved and merged.";

/// The completed level's event.
inline constexpr std::string_view COMPLETION_AGENT_NAME = "System";
inline constexpr std::string_view COMPLETION_VISUAL_ID = "N/A";
inline constexpr std::string_view COMPLETION_MESSAGE = "Equation Resolved.";

/// The one thing that happened in a frame: an agent acted, a zone merged or
/// the level completed.
struct NarrativeEvent {
    std::string agent_name;
    std::string visual_id;
    std::string type;
    std::string description;

    /// {"agent_name", "description", "type", "visual_id"}.
    nlohmann::json to_json() const;

    /// Writes the text of `to_json()` straight to `out`.
    void write_json(JsonTextWriter& out) const;
};

}  // namespace velm
