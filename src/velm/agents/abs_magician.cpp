#include "velm/agents/arithmetic_magicians.hpp"

namespace velm {

AbsMagician::AbsMagician(std::string visual_id)
    : MagicianAgent("The Purifier", 90, std::move(visual_id)) {}

bool AbsMagician::execute(std::vector<Charge>& charges) {
    // It acts on any non-empty zone, even one with nothing to purify, and is spent by doing so.
    if (charges.empty()) {
        return false;
    }
    for (Charge& charge : charges) {
        if (charge.polarity == NEGATIVE) {
            // Only the sign flips: the magnitude is kept as stored, even a negative one.
            charge.polarity = POSITIVE;
            charge.visual_id.insert(0, "purified_");
        }
    }
    return true;
}

}  // namespace velm
