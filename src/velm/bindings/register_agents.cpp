#include <memory>
#include <string>

#include "velm/agents/arithmetic_magicians.hpp"
#include "velm/agents/chronomancer.hpp"
#include "velm/agents/equals_gate.hpp"
#include "velm/agents/inequality_gate.hpp"
#include "velm/bindings/environment_class.hpp"

namespace py = pybind11;

namespace velm::bindings {

namespace {

/// Binds `method` as "create a Kind from the visual id and append it".
template <class Kind>
void def_agent_method(EnvironmentClass& environment, const char* method) {
    environment.def(
        method,
        [](Environment& self, std::string visual_id) {
            self.add_agent(std::make_shared<Kind>(std::move(visual_id)));
        },
        py::arg("visual_id"));
}

}  // namespace

void register_agent_methods(EnvironmentClass& environment) {
    def_agent_method<PlusMagician>(environment, "add_plus_magician");
    def_agent_method<MinusMagician>(environment, "add_minus_magician");
    def_agent_method<MultiplyMagician>(environment, "add_multiply_magician");
    def_agent_method<DivideMagician>(environment, "add_divide_magician");
    def_agent_method<PowerSorcerer>(environment, "add_power_sorcerer");
    def_agent_method<RootMagician>(environment, "add_root_magician");
    def_agent_method<AbsMagician>(environment, "add_abs_magician");
    def_agent_method<FactorialMagician>(environment, "add_factorial_magician");
    def_agent_method<ModuloMagician>(environment, "add_modulo_magician");
    def_agent_method<LogMagician>(environment, "add_log_magician");
    def_agent_method<Chronomancer>(environment, "add_chronomancer");
    environment.def(
        "add_equals_gate",
        [](Environment& self, std::string visual_id, double target) {
            self.add_agent(std::make_shared<EqualsGate>(std::move(visual_id), target));
        },
        py::arg("visual_id"), py::arg("target"));
    environment.def(
        "add_inequality_gate",
        [](Environment& self, std::string visual_id, double target, std::string comparison_type) {
            self.add_agent(std::make_shared<InequalityGate>(
                std::move(visual_id), target, parse_comparison_rule(comparison_type)));
        },
        py::arg("visual_id"), py::arg("target"), py::arg("comparison_type"));
}

}  // namespace velm::bindings
