#include <pybind11/pybind11.h>

#include "velm/bindings/class_assignment_guard.hpp"
#include "velm/bindings/registration.hpp"

PYBIND11_MODULE(velm_engine, m) {
    m.doc() = "Brackwater Engine Python Bindings";
    velm::bindings::register_errors();
    velm::bindings::register_charge_polarity(m);
    velm::bindings::register_charge(m);
    velm::bindings::register_environment(m);
    velm::bindings::register_sequencer(m);
    velm::bindings::guard_class_assignment();
}
