#pragma once

// Part of the casters of casters.hpp; see there for where it must be included.

#include <pybind11/pybind11.h>

namespace velm::bindings {

/// The value given to a bool setter (`is_time_frozen`, `is_finished`).
///
/// pybind11 already fixes the caster of `bool` itself, so these setters take
/// this type instead; its caster accepts what pybind11's does (True, False,
/// None as false, any object whose type defines `__bool__`) and shows as
/// `bool` in signatures, but an error raised by the value's `__bool__` reaches
/// the host instead of becoming "incompatible arguments".
struct FlagArgument {
    bool value = false;
};

}  // namespace velm::bindings

PYBIND11_NAMESPACE_BEGIN(PYBIND11_NAMESPACE)
PYBIND11_NAMESPACE_BEGIN(detail)

template <>
class type_caster<velm::bindings::FlagArgument> {
public:
    bool load(handle src, bool convert) {
        if (!src) {
            return false;
        }
        if (src.ptr() == Py_True || src.ptr() == Py_False) {
            value.value = src.ptr() == Py_True;
            return true;
        }
        if (!convert) {
            return false;
        }
        if (src.is_none()) {
            value.value = false;
            return true;
        }
        const PyNumberMethods* number = Py_TYPE(src.ptr())->tp_as_number;
        if (number == nullptr || number->nb_bool == nullptr) {
            return false;
        }
        const int truth = number->nb_bool(src.ptr());
        if (truth < 0) {
            throw error_already_set();
        }
        value.value = truth != 0;
        return true;
    }

    PYBIND11_TYPE_CASTER(velm::bindings::FlagArgument, const_name("bool"));
};

PYBIND11_NAMESPACE_END(detail)
PYBIND11_NAMESPACE_END(PYBIND11_NAMESPACE)
