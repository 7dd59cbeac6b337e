#pragma once

#include <memory>

namespace velm {

class Environment;

/// One entry of a zone's list of inner zones: a share of the inner zone that
/// also counts itself on that zone (`Environment::times_listed`).
///
/// The count lets the cycle check of `add_sub_environment` see at once that a
/// zone no list holds cannot be below anything. Because every entry keeps it
/// for itself, whatever changes a list (appending, erasing, clearing, copying,
/// the parent's destruction) leaves it exact with no care from the caller: a
/// count that fell short would let a cycle through.
class ZoneHandle {
public:
    ZoneHandle() noexcept = default;
    /// Implicit, so that a list takes a share as its entry (`push_back(share)`).
    ZoneHandle(std::shared_ptr<Environment> zone) noexcept;
    ZoneHandle(const ZoneHandle& other) noexcept;
    ZoneHandle(ZoneHandle&& other) noexcept = default;
    ZoneHandle& operator=(ZoneHandle other) noexcept;
    ~ZoneHandle();

    Environment* get() const noexcept { return zone_.get(); }
    Environment& operator*() const noexcept { return *zone_; }
    Environment* operator->() const noexcept { return zone_.get(); }
    const std::shared_ptr<Environment>& share() const noexcept { return zone_; }
    long use_count() const noexcept { return zone_.use_count(); }

private:
    // A moved-from share is empty, so moving an entry needs no count of its own.
    std::shared_ptr<Environment> zone_;
};

}  // namespace velm
