#include <memory>

#include "velm/bindings/json_text.hpp"
#include "velm/bindings/registration.hpp"
#include "velm/sequencer/narrative_sequencer.hpp"

namespace py = pybind11;

namespace velm::bindings {

void register_sequencer(py::module_& m) {
    py::class_<NarrativeSequencer>(m, "NarrativeSequencer")
        .def(py::init<std::shared_ptr<Environment>>(), py::arg("env").none(false))
        .def("next_frame",
             [](NarrativeSequencer& self) { return json_text(self.next_frame()); })
        .def_property(
            "is_finished", [](const NarrativeSequencer& self) { return self.is_finished; },
            [](NarrativeSequencer& self, FlagArgument finished) { self.is_finished = finished.value; })
        .def_readwrite("current_frame", &NarrativeSequencer::current_frame);
}

}  // namespace velm::bindings
