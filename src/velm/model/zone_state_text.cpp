#include "velm/model/zone_state_text.hpp"

#include <vector>

#include "velm/agents/magician_agent.hpp"
#include "velm/model/zone_tree.hpp"

namespace velm {

namespace {

/// Writes `items`, each by `write_item`, with commas between them: the
/// elements of an array whose brackets the caller writes.
template <class Items, class WriteItem>
void write_items(JsonTextWriter& out, const Items& items, WriteItem write_item) {
    for (std::size_t index = 0; index < items.size(); ++index) {
        if (index > 0) {
            out.comma();
        }
        write_item(items[index]);
    }
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
    out.layout(R"({"agents":[)");
    write_items(out, zone.agents, [&](const auto& agent) { agent->write_json(out); });
    out.layout(R"(],"charges":[)");
    write_items(out, zone.charges, [&](const Charge& charge) { charge.write_json(out); });
    out.layout(R"(],"id":)");
    out.string(zone.id);
    // A zone with no inner zones cannot be waiting on any, whatever the flag says.
    if (!zone.sub_environments.empty() && zone.is_time_frozen) {
        out.layout(R"(,"is_time_frozen":true)");
    } else {
        out.layout(R"(,"is_time_frozen":false)");
    }
    if (root_member != nullptr) {
        root_member->write_member(out);
    }
    out.layout(R"(,"sub_environments":[)");
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
            out.layout("]}");
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
