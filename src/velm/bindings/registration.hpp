#pragma once

#include <pybind11/pybind11.h>

#include "velm/bindings/casters.hpp"

/// One function per Python-visible concept; module.cpp calls them in the order
/// in which later signatures need the earlier types.
namespace velm::bindings {

void register_errors();
void register_charge_polarity(pybind11::module_& m);
void register_charge(pybind11::module_& m);
void register_environment(pybind11::module_& m);
void register_sequencer(pybind11::module_& m);

}  // namespace velm::bindings
