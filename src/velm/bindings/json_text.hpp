#pragma once

#include <pybind11/pybind11.h>

#include <nlohmann/json.hpp>

namespace velm::bindings {

/// The one way a JSON value reaches Python: compact text, keys in byte order,
/// raw UTF-8. A stored string that is not valid UTF-8 makes the dump throw.
pybind11::str json_text(const nlohmann::json& value);

}  // namespace velm::bindings
