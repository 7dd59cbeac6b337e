#include "velm/agents/arithmetic_magicians.hpp"

namespace velm {

AbsMagician::AbsMagician(std::string visual_id)
    : MagicianAgent(agent_kinds::ABS_MAGICIAN, std::move(visual_id)) {}

bool AbsMagician::execute(std::vector<Charge>& charges) {
    // It acts on any non-empty zone, even one with nothing to purify, and is spent by doing so.
    if (charges.empty()) {
        return false;
    }
    // Room for every new name first: running out of memory then leaves every
    // charge as it was, never some purified and the rest not.
    for (Charge& charge : charges) {
        if (charge.polarity == NEGATIVE) {
            charge.visual_id.reserve(charge.visual_id.size() + result_prefix().size());
        }
    }
    for (Charge& charge : charges) {
        if (charge.polarity == NEGATIVE) {
            // Only the sign flips: the magnitude is kept as stored, even a negative one.
            charge.polarity = POSITIVE;
            charge.visual_id.insert(0, result_prefix());
        }
    }
    return true;
}

}  // namespace velm
