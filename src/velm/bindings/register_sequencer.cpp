#include <memory>

#include "velm/bindings/json_text.hpp"
#include "velm/bindings/registration.hpp"
#include "velm/sequencer/frame_report_text.hpp"
#include "velm/sequencer/narrative_sequencer.hpp"

namespace py = pybind11;

namespace velm::bindings {

void register_sequencer(py::module_& m) {
    py::class_<NarrativeSequencer>(m, "NarrativeSequencer")
        .def(py::init<std::shared_ptr<Environment>>(), py::arg("env").none(false))
        .def("next_frame",
             [](NarrativeSequencer& self) {
                 return self.next_frame_as([&](std::string_view status, std::string_view message) {
                     return json_text([&](JsonTextWriter& out) {
                         write_frame_report(out, self, status, message);
                     });
                 });
             })
        .def_property(
            "is_finished", [](const NarrativeSequencer& self) { return self.is_finished; },
            [](NarrativeSequencer& self, FlagArgument finished) {
                self.is_finished = finished.value;
            })
        .def_readwrite("current_frame", &NarrativeSequencer::current_frame);
}

}  // namespace velm::bindings
