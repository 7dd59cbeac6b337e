#pragma once

#include <pybind11/pybind11.h>

namespace velm::bindings {

/// Ends an argument conversion step that left a Python error set.
///
/// An error of the `unfit` kind (OverflowError for a number too large for the
/// parameter, UnicodeError for text that is not UTF-8) says the value does not
/// fit, which is refused like an argument of the wrong type: the error is
/// cleared and the caster reports failure, so the host gets pybind11's usual
/// TypeError for incompatible arguments. Any other error was raised by the
/// argument's own conversion (its `__float__`, `__index__`, ...), or is the
/// interpreter's MemoryError or KeyboardInterrupt; it is thrown on and reaches
/// the host as itself.
[[nodiscard]] inline bool refuse_if_unfit(PyObject* unfit) {
    if (PyErr_ExceptionMatches(unfit)) {
        PyErr_Clear();
        return false;
    }
    throw pybind11::error_already_set();
}

}  // namespace velm::bindings
