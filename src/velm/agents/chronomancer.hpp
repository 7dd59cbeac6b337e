#pragma once

#include "velm/agents/magician_agent.hpp"

namespace velm {

/// Never acts. Its lasting presence keeps its zone unresolved, which keeps
/// the zone from merging and its parent time-frozen.
class Chronomancer : public MagicianAgent {
public:
    explicit Chronomancer(std::string visual_id);
    bool execute(std::vector<Charge>& charges) override;
};

}  // namespace velm
