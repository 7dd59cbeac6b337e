#include "velm/model/environment.hpp"

#include <algorithm>
#include <new>

#include "velm/agents/magician_agent.hpp"
#include "velm/model/json_object.hpp"
#include "velm/model/zone_limits.hpp"

namespace velm {

namespace {

using ZoneList = std::vector<ZoneHandle>;

/// Moves the inner zones of `zone`, which is about to go, onto `pending`.
/// Without memory for them they stay where they are, and the zone's own
/// destructor frees them the same way: a destructor must not throw.
void adopt_inner_zones(ZoneList& pending, Environment& zone) noexcept {
    const std::size_t needed = zone.sub_environments.size();
    if (pending.capacity() - pending.size() < needed) {
        try {
            pending.reserve(std::max(2 * pending.capacity(), pending.size() + needed));
        } catch (const std::bad_alloc&) {
            return;
        }
    }
    for (auto& inner : zone.sub_environments) {
        pending.push_back(std::move(inner));
    }
    zone.sub_environments.clear();
}

}  // namespace

Environment::~Environment() {
    // Each zone whose last owner we are hands its children to this loop before
    // it goes, so a chain of any length is freed without nested destructor calls.
    ZoneList pending = std::move(sub_environments);
    while (!pending.empty()) {
        ZoneHandle zone = std::move(pending.back());
        pending.pop_back();
        if (zone.use_count() == 1) {
            adopt_inner_zones(pending, *zone);
        }
    }
}

nlohmann::json Environment::to_json() const {
    return to_json_at_depth(1);
}

nlohmann::json Environment::to_json_at_depth(std::size_t depth) const {
    if (depth > MAX_ZONE_DEPTH) {
        throw NestingLimitExceeded();
    }
    nlohmann::json::array_t charge_list;
    charge_list.reserve(charges.size());
    for (const Charge& charge : charges) {
        charge_list.push_back(charge.to_json());
    }
    nlohmann::json::array_t agent_list;
    agent_list.reserve(agents.size());
    for (const auto& agent : agents) {
        agent_list.push_back(agent->to_json());
    }
    nlohmann::json::array_t zone_list;
    zone_list.reserve(sub_environments.size());
    for (const auto& zone : sub_environments) {
        zone_list.push_back(zone->to_json_at_depth(depth + 1));
    }
    // A zone with no inner zones cannot be waiting on any, whatever the flag says.
    const bool frozen = !sub_environments.empty() && is_time_frozen;
    return JsonObject()
        .add("agents", std::move(agent_list))
        .add("charges", std::move(charge_list))
        .add("id", id)
        .add("is_time_frozen", frozen)
        .add("sub_environments", std::move(zone_list))
        .build();
}

void Environment::add_charge(Charge charge) {
    charges.push_back(std::move(charge));
}

void Environment::add_agent(std::shared_ptr<MagicianAgent> agent) {
    agents.push_back(std::move(agent));
}

void Environment::add_sub_environment(std::shared_ptr<Environment> sub_env) {
    sub_environments.push_back(std::move(sub_env));
}

}  // namespace velm
