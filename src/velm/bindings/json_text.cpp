#include "velm/bindings/json_text.hpp"

#include <cstring>

namespace velm::bindings {

JsonTextWriter& module_json_writer() {
    static JsonTextWriter writer;
    return writer;
}

pybind11::str python_str(const JsonTextWriter& text) {
    const std::string_view bytes = text.text();
    const auto length = static_cast<Py_ssize_t>(bytes.size());
    PyObject* str = nullptr;
    if (text.is_ascii()) {
        str = PyUnicode_New(length, 127);
        if (str != nullptr) {
            std::memcpy(PyUnicode_1BYTE_DATA(str), bytes.data(), bytes.size());
        }
    } else {
        str = PyUnicode_DecodeUTF8(bytes.data(), length, "strict");
    }
    if (str == nullptr) {
        throw pybind11::error_already_set();
    }
    return pybind11::reinterpret_steal<pybind11::str>(str);
}

}  // namespace velm::bindings
