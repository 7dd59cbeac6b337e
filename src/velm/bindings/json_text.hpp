#pragma once

#include <pybind11/pybind11.h>

#include <nlohmann/json.hpp>

namespace velm::bindings {

/// The one way a JSON value reaches Python: compact text, keys in byte order,
/// raw UTF-8. Dumping throws on any stored string with broken UTF-8.
pybind11::str json_text(const nlohmann::json& value);

}  // namespace velm::bindings
