#include "velm/agents/chronomancer.hpp"

namespace velm {

Chronomancer::Chronomancer(std::string visual_id)
    : MagicianAgent(agent_kinds::CHRONOMANCER, std::move(visual_id)) {}

bool Chronomancer::execute(std::vector<Charge>&) {
    return false;
}

}  // namespace velm
