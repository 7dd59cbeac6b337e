#include <pybind11/pybind11.h>

#include "velm/bindings/registration.hpp"

PYBIND11_MODULE(velm_engine, m) {
    m.doc() = "Brackwater Engine Python Bindings";
    velm::bindings::register_errors();
    velm::bindings::register_charge_polarity(m);
    velm::bindings::register_charge(m);
    velm::bindings::register_environment(m);
    velm::bindings::register_sequencer(m);
}
