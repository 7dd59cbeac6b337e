#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "velm/agents/magician_agent.hpp"
#include "velm/model/environment.hpp"
#include "velm/model/zone_tree.hpp"

namespace velm {

/// An agent that may act in this frame and the zone whose charges it works on.
///
/// Plain pointers, not shares: agents change nothing but charges, so while a
/// frame runs no agent or zone goes away, except the one agent that acts, which
/// leaves its zone as the frame's last use of it. Taking a share of every
/// gathered agent would cost two atomic operations apiece for nothing.
struct GatheredAgent {
    MagicianAgent* agent;
    Environment* zone;
    /// The agent's, kept here so that ordering does not reach into every agent.
    std::int32_t priority;
};

/// Sets every zone's `is_time_frozen` for a frame: a zone waits while any zone
/// directly inside it is unresolved (agents left, or two or more charges).
/// Unless the frame is kept, the flags the zones had before are put back when
/// this goes, so a frame that fails halfway leaves them as they were.
class TimeFreezeRefresh {
public:
    explicit TimeFreezeRefresh(const std::vector<ZoneVisit>& places);
    ~TimeFreezeRefresh();
    TimeFreezeRefresh(const TimeFreezeRefresh&) = delete;
    TimeFreezeRefresh& operator=(const TimeFreezeRefresh&) = delete;

    void keep() noexcept { kept_ = true; }

private:
    const std::vector<ZoneVisit>& places_;
    std::vector<char> before_;
    bool kept_ = false;
};

/// The agents of every zone that is not frozen, deepest zones first, each
/// zone's agents in list order. Expects the freeze flags to be fresh.
std::vector<GatheredAgent> gather_agents(const std::vector<ZoneVisit>& places);

/// Highest priority first; equal priorities keep their gathered order.
void order_by_priority(std::vector<GatheredAgent>& gathered);

}  // namespace velm
