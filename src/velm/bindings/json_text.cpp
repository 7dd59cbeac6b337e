#include "velm/bindings/json_text.hpp"

#include <string>

namespace velm::bindings {

pybind11::str json_text(const nlohmann::json& value) {
    const std::string text = value.dump();
    return pybind11::str(text.data(), text.size());
}

}  // namespace velm::bindings
