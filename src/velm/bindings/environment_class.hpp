#pragma once

#include <memory>

#include <pybind11/pybind11.h>

#include "velm/bindings/casters.hpp"

#include "velm/model/environment.hpp"

namespace velm::bindings {

/// The Python class of a zone: held by shared ownership, because parents and
/// sequencers hold the same engine object as the Python one.
using EnvironmentClass = pybind11::class_<Environment, std::shared_ptr<Environment>>;

/// Adds the thirteen agent-adding methods to the zone's class.
void register_agent_methods(EnvironmentClass& environment);

}  // namespace velm::bindings
