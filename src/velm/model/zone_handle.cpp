#include "velm/model/zone_handle.hpp"

#include <utility>

#include "velm/model/environment.hpp"

namespace velm {

ZoneHandle::ZoneHandle(std::shared_ptr<Environment> zone) noexcept : zone_(std::move(zone)) {
    if (zone_) {
        ++zone_->times_listed_;
    }
}

ZoneHandle::ZoneHandle(const ZoneHandle& other) noexcept : ZoneHandle(other.zone_) {}

ZoneHandle& ZoneHandle::operator=(ZoneHandle other) noexcept {
    // `other` leaves with the entry this one held and uncounts it as it goes.
    std::swap(zone_, other.zone_);
    return *this;
}

ZoneHandle::~ZoneHandle() {
    // Uncounted before the share goes, which may be the zone's last.
    if (zone_) {
        --zone_->times_listed_;
    }
}

}  // namespace velm
