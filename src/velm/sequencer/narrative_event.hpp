#pragma once

#include <string>

#include <nlohmann/json.hpp>

namespace velm {

class JsonTextWriter;

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
