#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "velm/agents/agent_kind.hpp"
#include "velm/model/charge.hpp"

namespace velm {

class JsonTextWriter;

enum AgentState : std::int32_t { DORMANT = 0, ACTIVE = 1, FROZEN = 2 };

/// A magician: one fixed operation on the charges of the zone that holds it.
///
/// Every kind takes its title, priority and result prefix from its row of
/// `agent_kinds`; the caller only chooses the visual identifier. `execute`
/// either acts and returns true, or declines and returns false having changed
/// neither the charge list nor the agent.
class MagicianAgent {
public:
    std::int32_t priority;
    std::string name;
    std::string visual_id;
    AgentState state = DORMANT;

    MagicianAgent(const AgentKind& kind, std::string visual_id)
        : priority(kind.priority), name(kind.title), visual_id(std::move(visual_id)),
          result_prefix_(kind.result_prefix) {}
    virtual ~MagicianAgent() = default;

    MagicianAgent(const MagicianAgent&) = delete;
    MagicianAgent& operator=(const MagicianAgent&) = delete;

    /// Performs the agent's operation on its zone's charges; false means declined.
    virtual bool execute(std::vector<Charge>& charges) = 0;

    /// {"name", "priority", "state", "visual_id"}; kinds with more state add keys.
    virtual nlohmann::json to_json() const;

    /// Writes the text of `to_json()` straight to `out`.
    virtual void write_json(JsonTextWriter& out) const;

    /// The visual id of a charge this agent makes: its kind's result prefix
    /// followed by its own visual id.
    std::string result_name() const;

protected:
    std::string_view result_prefix() const { return result_prefix_; }

    /// The agent's object with a gate's members, as `write_gate_json` writes it.
    nlohmann::json gate_to_json(bool is_open, std::string_view rule, double target_value) const;

    /// Writes the agent's object with a gate's members, each in its sorted
    /// place among the base ones: "is_open", "rule" (unless empty) and
    /// "target_value".
    void write_gate_json(JsonTextWriter& out, bool is_open, std::string_view rule,
                         double target_value) const;

private:
    std::string_view result_prefix_;
};

}  // namespace velm
