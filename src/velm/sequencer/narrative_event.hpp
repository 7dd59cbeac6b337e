#pragma once

#include <string>

#include <nlohmann/json.hpp>

namespace velm {

/// The one thing that happened in a frame: an agent acted, a zone merged or
/// the level completed.
struct NarrativeEvent {
    std::string agent_name;
    std::string visual_id;
    std::string type;
    std::string description;

    /// {"agent_name", "description", "type", "visual_id"}.
    nlohmann::json to_json() const;
};

}  // namespace velm
