#pragma once

// Part of the casters of casters.hpp; see there for where it must be included.

#include <pybind11/pybind11.h>

#include "velm/bindings/conversion_failure.hpp"

PYBIND11_NAMESPACE_BEGIN(PYBIND11_NAMESPACE)
PYBIND11_NAMESPACE_BEGIN(detail)

/// Float parameters and setters. Accepts what pybind11's own caster accepts
/// (a float, an int, an object with `__float__` or `__index__`) and refuses the
/// same arguments, but an error raised by the argument's `__float__` or
/// `__index__` reaches the host instead of becoming "incompatible arguments".
template <>
class type_caster<double> {
public:
    bool load(handle src, bool convert) {
        if (!src) {
            return false;
        }
        PyObject* argument = src.ptr();
        if (PyFloat_Check(argument)) {
            value = PyFloat_AS_DOUBLE(argument);
            return true;
        }
        if ((!convert && !PyLong_Check(argument)) || !offers_a_float(argument)) {
            return false;
        }
        const double converted = PyFloat_AsDouble(argument);
        if (converted == -1.0 && PyErr_Occurred()) {
            return velm::bindings::refuse_if_unfit(PyExc_OverflowError);
        }
        value = converted;
        return true;
    }

    static handle cast(double src, return_value_policy /*policy*/, handle /*parent*/) {
        return PyFloat_FromDouble(src);
    }

    PYBIND11_TYPE_CASTER(double, io_name("typing.SupportsFloat | typing.SupportsIndex", "float"));

private:
    // Checked first, so that an argument without either method is refused
    // without calling anything.
    static bool offers_a_float(PyObject* argument) {
        const PyNumberMethods* number = Py_TYPE(argument)->tp_as_number;
        return number != nullptr && (number->nb_float != nullptr || number->nb_index != nullptr);
    }
};

PYBIND11_NAMESPACE_END(detail)
PYBIND11_NAMESPACE_END(PYBIND11_NAMESPACE)
