#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "velm/model/charge.hpp"
#include "velm/model/zone_handle.hpp"

namespace velm {

class MagicianAgent;

/// A zone of a level: charges, the agents that work on them, and inner zones.
///
/// Zones are always heap objects shared through std::shared_ptr: the host, every
/// parent that lists a zone and the sequencer playing it hold the same object,
/// so a change made through any of them is seen by all. The lists are read and
/// changed directly by the agents and the sequencer; each entry of
/// `sub_environments` counts itself on the zone it holds (ZoneHandle).
class Environment {
public:
    std::string id;
    std::vector<Charge> charges;
    std::vector<std::shared_ptr<MagicianAgent>> agents;
    std::vector<ZoneHandle> sub_environments;
    bool is_time_frozen = false;

    explicit Environment(std::string id) : id(std::move(id)) {}

    /// Releases inner zones without recursion, so that very deep trees cannot
    /// exhaust the stack when their root goes.
    virtual ~Environment();

    Environment(const Environment&) = delete;
    Environment& operator=(const Environment&) = delete;

    /// The zone's state with all inner zones. Throws NestingLimitExceeded when
    /// the tree below is nested deeper than MAX_ZONE_DEPTH.
    virtual nlohmann::json to_json() const;

    virtual void add_charge(Charge charge);
    virtual void add_agent(std::shared_ptr<MagicianAgent> agent);
    virtual void add_sub_environment(std::shared_ptr<Environment> sub_env);

    /// How many entries of inner-zone lists, over all zones, hold this zone
    /// (a parent that lists it twice counts twice). Zero means the zone is
    /// inside no other zone.
    std::size_t times_listed() const { return times_listed_; }

private:
    friend class ZoneHandle;
    std::size_t times_listed_ = 0;

    nlohmann::json to_json_at_depth(std::size_t depth) const;
};

}  // namespace velm
