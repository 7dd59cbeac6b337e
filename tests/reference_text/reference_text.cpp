// velm_reference_text: the engine's JSON values, written by the JSON library's
// own dump(). The module writes every text that reaches Python without
// building those values; the tests compare the two byte for byte. Built only
// for the test environment (VELM_REFERENCE_TEXT_MODULE), never shipped.

#include <string>

#include <pybind11/pybind11.h>

#include "velm/bindings/initialized_caster.hpp"

#include "velm/bindings/charge_handle.hpp"
#include "velm/model/environment.hpp"
#include "velm/sequencer/narrative_sequencer.hpp"

namespace py = pybind11;

namespace {

py::str dumped(const nlohmann::json& value) {
    const std::string text = value.dump();
    return py::str(text.data(), text.size());
}

}  // namespace

PYBIND11_MODULE(velm_reference_text, m) {
    m.doc() = "The JSON library's dump() of the engine's JSON values, for the tests";
    m.def("charge_text",
          [](const velm::bindings::ChargeHandle& charge) { return dumped(charge.get().to_json()); });
    m.def("zone_text", [](const velm::Environment& zone) { return dumped(zone.to_json()); });
    m.def("frame_text",
          [](velm::NarrativeSequencer& sequencer) { return dumped(sequencer.next_frame()); });
}
