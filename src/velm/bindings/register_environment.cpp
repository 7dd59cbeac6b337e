#include <memory>
#include <string>
#include <vector>

#include <pybind11/stl.h>

#include "velm/bindings/charge_handle.hpp"
#include "velm/bindings/environment_class.hpp"
#include "velm/bindings/json_text.hpp"
#include "velm/bindings/registration.hpp"
#include "velm/model/zone_state_text.hpp"
#include "velm/model/zone_tree.hpp"

namespace py = pybind11;

namespace velm::bindings {

namespace {

py::list read_charges(const std::shared_ptr<Environment>& self) {
    py::list views;
    for (std::size_t index = 0; index < self->charges.size(); ++index) {
        views.append(py::cast(ChargeHandle(self, index)));
    }
    return views;
}

void write_charges(Environment& self, const std::vector<ChargeHandle>& given) {
    // Copy every charge out before replacing anything: a stale view among them
    // must leave the zone as it was, and the source may be this very list.
    std::vector<Charge> replacement;
    replacement.reserve(given.size());
    for (const ChargeHandle& handle : given) {
        replacement.push_back(handle.get());
    }
    self.charges = std::move(replacement);
}

void add_sub_environment(Environment& self, std::shared_ptr<Environment> sub_env) {
    if (would_contain_itself(self, *sub_env)) {
        throw py::value_error(
            "add_sub_environment: the zone is this environment or holds it, which would "
            "make the level contain itself");
    }
    self.add_sub_environment(std::move(sub_env));
}

}  // namespace

void register_environment(py::module_& m) {
    EnvironmentClass environment(m, "Environment");
    environment.def(py::init<std::string>(), py::arg("id"))
        .def_readwrite("id", &Environment::id)
        .def_property("charges", &read_charges, &write_charges)
        .def_property(
            "is_time_frozen", [](const Environment& self) { return self.is_time_frozen; },
            [](Environment& self, FlagArgument frozen) { self.is_time_frozen = frozen.value; })
        .def("to_json",
             [](const Environment& self) {
                 return json_text([&](JsonTextWriter& out) { write_zone_state(out, self); });
             })
        .def(
            "add_charge",
            [](Environment& self, double magnitude, ChargePolarity polarity, std::string visual_id) {
                self.charges.emplace_back(magnitude, polarity, std::move(visual_id));
            },
            py::arg("magnitude"), py::arg("polarity"), py::arg("visual_id"))
        .def("add_sub_environment", &add_sub_environment, py::arg("sub_env").none(false));
    register_agent_methods(environment);
}

}  // namespace velm::bindings
