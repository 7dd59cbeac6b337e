#pragma once

// Part of the casters of casters.hpp; see there for where it must be included.

#include <cstdint>
#include <limits>

#include <pybind11/pybind11.h>

#include "velm/bindings/conversion_failure.hpp"

PYBIND11_NAMESPACE_BEGIN(PYBIND11_NAMESPACE)
PYBIND11_NAMESPACE_BEGIN(detail)

/// 32-bit integer parameters and setters (`current_frame`, the value of a
/// `ChargePolarity`). Accepts what pybind11's own caster accepts (an int, an
/// object with `__index__` or `__int__`; never a float, which would be
/// truncated) and refuses values outside the type's range, but an error raised
/// by the argument's `__index__` or `__int__` reaches the host instead of
/// becoming "incompatible arguments".
template <>
class type_caster<std::int32_t> {
public:
    bool load(handle src, bool convert) {
        if (!src || PyFloat_Check(src.ptr())) {
            return false;
        }
        if (!convert && !PyLong_Check(src.ptr()) && !PyIndex_Check(src.ptr())) {
            return false;
        }
        const object integer = as_python_int(src, convert);
        if (!integer) {
            return false;
        }
        const long wide = PyLong_AsLong(integer.ptr());
        if (wide == -1 && PyErr_Occurred()) {
            return velm::bindings::refuse_if_unfit(PyExc_OverflowError);
        }
        if (wide < std::numeric_limits<std::int32_t>::min() ||
            wide > std::numeric_limits<std::int32_t>::max()) {
            return false;
        }
        value = static_cast<std::int32_t>(wide);
        return true;
    }

    static handle cast(std::int32_t src, return_value_policy /*policy*/, handle /*parent*/) {
        return PyLong_FromLong(src);
    }

    PYBIND11_TYPE_CASTER(std::int32_t, io_name("typing.SupportsInt | typing.SupportsIndex", "int"));

private:
    /// The argument itself when it is an int, else what its `__index__` or
    /// (when converting) its `__int__` returns; empty when it has neither.
    static object as_python_int(handle src, bool convert) {
        PyObject* argument = src.ptr();
        if (PyLong_Check(argument)) {
            return reinterpret_borrow<object>(src);
        }
        PyObject* integer = nullptr;
        if (PyIndex_Check(argument)) {
            integer = PyNumber_Index(argument);
        } else if (convert && offers_an_int(argument)) {
            integer = PyNumber_Long(argument);
        } else {
            return object();
        }
        if (integer == nullptr) {
            throw error_already_set();
        }
        return reinterpret_steal<object>(integer);
    }

    static bool offers_an_int(PyObject* argument) {
        const PyNumberMethods* number = Py_TYPE(argument)->tp_as_number;
        return number != nullptr && number->nb_int != nullptr;
    }
};

PYBIND11_NAMESPACE_END(detail)
PYBIND11_NAMESPACE_END(PYBIND11_NAMESPACE)
