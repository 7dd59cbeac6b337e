#include "velm/agents/magician_agent.hpp"

#include "velm/model/json_object.hpp"
#include "velm/model/json_text_writer.hpp"

namespace velm {

namespace {

std::string_view state_text(AgentState state) {
    switch (state) {
        case ACTIVE: return "active";
        case FROZEN: return "frozen";
        default: return "dormant";
    }
}

/// The text from the state's key to the visual id's key, written in one
/// piece since most of an agent's text is fixed.
void write_state_member(JsonTextWriter& out, AgentState state) {
    switch (state) {
        case ACTIVE: out.layout(R"(,"state":"active","visual_id":)"); return;
        case FROZEN: out.layout(R"(,"state":"frozen","visual_id":)"); return;
        default: out.layout(R"(,"state":"dormant","visual_id":)"); return;
    }
}

}  // namespace

nlohmann::json MagicianAgent::to_json() const {
    return JsonObject()
        .add("name", name)
        .add("priority", priority)
        .add("state", state_text(state))
        .add("visual_id", visual_id)
        .build();
}

std::string MagicianAgent::result_name() const {
    std::string result;
    result.reserve(result_prefix_.size() + visual_id.size());
    return result.append(result_prefix_).append(visual_id);
}

nlohmann::json MagicianAgent::gate_to_json(bool is_open, std::string_view rule,
                                           double target_value) const {
    nlohmann::json object = JsonObject()
                                .add("is_open", is_open)
                                .add("name", name)
                                .add("priority", priority)
                                .add("state", state_text(state))
                                .add("target_value", target_value)
                                .add("visual_id", visual_id)
                                .build();
    if (!rule.empty()) {
        object["rule"] = rule;
    }
    return object;
}

void MagicianAgent::write_json(JsonTextWriter& out) const {
    out.layout(R"({"name":)");
    out.string(name);
    out.layout(R"(,"priority":)");
    out.integer(priority);
    write_state_member(out, state);
    out.string(visual_id);
    out.end_object();
}

void MagicianAgent::write_gate_json(JsonTextWriter& out, bool is_open, std::string_view rule,
                                    double target_value) const {
    out.begin_object();
    out.key("is_open");
    out.boolean(is_open);
    out.next_key("name");
    out.string(name);
    out.next_key("priority");
    out.integer(priority);
    if (!rule.empty()) {
        out.next_key("rule");
        out.plain_string(rule);
    }
    out.next_key("state");
    out.plain_string(state_text(state));
    out.next_key("target_value");
    out.number(target_value);
    out.next_key("visual_id");
    out.string(visual_id);
    out.end_object();
}

}  // namespace velm
