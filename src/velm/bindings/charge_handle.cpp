#include "velm/bindings/charge_handle.hpp"

#include <stdexcept>
#include <string>

namespace velm::bindings {

Charge& ChargeHandle::get() {
    if (auto* slot = std::get_if<ZoneSlot>(&target_)) {
        return resolve(*slot);
    }
    return std::get<Charge>(target_);
}

const Charge& ChargeHandle::get() const {
    if (const auto* slot = std::get_if<ZoneSlot>(&target_)) {
        return resolve(*slot);
    }
    return std::get<Charge>(target_);
}

Charge& ChargeHandle::resolve(const ZoneSlot& slot) {
    if (slot.index >= slot.zone->charges.size()) {
        throw std::out_of_range("stale Charge: its zone no longer has a charge at index " +
                                std::to_string(slot.index));
    }
    return slot.zone->charges[slot.index];
}

}  // namespace velm::bindings
