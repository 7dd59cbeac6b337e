#pragma once

#include <cstddef>
#include <memory>
#include <variant>

#include "velm/model/charge.hpp"
#include "velm/model/environment.hpp"

namespace velm::bindings {

/// What a Python `Charge` stands for: a charge of its own, or a live view of
/// one place in a zone's charge list.
///
/// A view holds its zone and an index rather than a pointer, and looks the
/// charge up on every access: a frame may grow or shrink the list at any time,
/// and a stale view must fail cleanly instead of touching freed memory.
class ChargeHandle {
public:
    explicit ChargeHandle(Charge owned) : target_(std::move(owned)) {}
    ChargeHandle(std::shared_ptr<Environment> zone, std::size_t index)
        : target_(ZoneSlot{std::move(zone), index}) {}

    /// The charge itself; throws std::out_of_range (IndexError in Python) when
    /// the viewed zone no longer has a charge at the view's index.
    Charge& get();
    const Charge& get() const;

private:
    struct ZoneSlot {
        std::shared_ptr<Environment> zone;
        std::size_t index;
    };
    std::variant<Charge, ZoneSlot> target_;

    static Charge& resolve(const ZoneSlot& slot);
};

}  // namespace velm::bindings
