#include <string>

#include "velm/bindings/charge_handle.hpp"
#include "velm/bindings/json_text.hpp"
#include "velm/bindings/registration.hpp"

namespace py = pybind11;

namespace velm::bindings {

void register_charge_polarity(py::module_& m) {
    py::enum_<ChargePolarity>(m, "ChargePolarity")
        .value("POSITIVE", POSITIVE)
        .value("NEGATIVE", NEGATIVE)
        .value("NEUTRAL", NEUTRAL)
        .export_values();
}

void register_charge(py::module_& m) {
    py::class_<ChargeHandle>(m, "Charge")
        .def(py::init([](double magnitude, ChargePolarity polarity, std::string visual_id) {
                 return ChargeHandle(Charge(magnitude, polarity, std::move(visual_id)));
             }),
             py::arg("magnitude"), py::arg("polarity"), py::arg("visual_id"))
        .def_property(
            "magnitude", [](const ChargeHandle& self) { return self.get().magnitude; },
            [](ChargeHandle& self, double magnitude) { self.get().magnitude = magnitude; })
        .def_property(
            "polarity", [](const ChargeHandle& self) { return self.get().polarity; },
            [](ChargeHandle& self, ChargePolarity polarity) { self.get().polarity = polarity; })
        .def_property(
            "visual_id", [](const ChargeHandle& self) { return self.get().visual_id; },
            [](ChargeHandle& self, std::string visual_id) {
                self.get().visual_id = std::move(visual_id);
            })
        .def("to_json", [](const ChargeHandle& self) {
            const Charge& charge = self.get();
            return json_text([&](JsonTextWriter& out) { charge.write_json(out); });
        });
}

}  // namespace velm::bindings
