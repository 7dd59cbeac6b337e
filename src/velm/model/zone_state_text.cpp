#include "velm/model/zone_state_text.hpp"

#include <vector>

#include "velm/agents/magician_agent.hpp"
#include "velm/model/zone_tree.hpp"

namespace velm {

namespace {

/// Writes `items` as an array, each by `write_item`.
template <class Items, class WriteItem>
void write_array(JsonTextWriter& out, const Items& items, WriteItem write_item) {
    out.begin_array();
    for (std::size_t index = 0; index < items.size(); ++index) {
        if (index > 0) {
            out.comma();
        }
        write_item(items[index]);
    }
    out.end_array();
}

/// Everything of a zone's object up to the opening of its inner zones' list.
void write_zone_head(JsonTextWriter& out, const Environment& zone,
                     const RootMemberWriter* root_member) {
    // A level's agents lie wherever they were allocated, so reading them one
    // after another waits on memory once per agent; asking for all of them
    // first lets those waits overlap.
    for (const auto& agent : zone.agents) {
        __builtin_prefetch(agent.get());
    }
    out.begin_object();
    out.key("agents");
    write_array(out, zone.agents, [&](const auto& agent) { agent->write_json(out); });
    out.next_key("charges");
    write_array(out, zone.charges, [&](const Charge& charge) { charge.write_json(out); });
    out.next_key("id");
    out.string(zone.id);
    out.next_key("is_time_frozen");
    // A zone with no inner zones cannot be waiting on any, whatever the flag says.
    out.boolean(!zone.sub_environments.empty() && zone.is_time_frozen);
    if (root_member != nullptr) {
        root_member->write_member(out);
    }
    out.next_key("sub_environments");
    out.begin_array();
}

void write_tree(JsonTextWriter& out, const Environment& root, const RootMemberWriter* root_member) {
    struct Open {
        const Environment* zone;
        std::size_t next_child;
    };
    std::vector<Open> open;
    write_zone_head(out, root, root_member);
    open.push_back({&root, 0});
    while (!open.empty()) {
        Open& innermost = open.back();
        if (innermost.next_child == innermost.zone->sub_environments.size()) {
            out.end_array();
            out.end_object();
            open.pop_back();
            continue;
        }
        if (innermost.next_child > 0) {
            out.comma();
        }
        const auto& siblings = innermost.zone->sub_environments;
        const Environment& child = *siblings[innermost.next_child++];
        if (innermost.next_child < siblings.size()) {
            __builtin_prefetch(siblings[innermost.next_child].get());
        }
        write_zone_head(out, child, nullptr);
        open.push_back({&child, 0});
    }
}

}  // namespace

void write_zone_state(JsonTextWriter& out, const Environment& root,
                      const RootMemberWriter* root_member) {
    // Checked first, so that a tree too deep or too large is refused before a
    // byte is written, whatever a broken string further in would have done.
    check_walkable(root);
    write_tree(out, root, root_member);
}

}  // namespace velm
