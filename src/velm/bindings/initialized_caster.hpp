#pragma once

// Part of the casters of casters.hpp, which says where they must be included:
// the specialisations must be the only casters these types ever get.

#include <memory>
#include <string>
#include <typeinfo>

#include <pybind11/pybind11.h>

#include "velm/bindings/charge_handle.hpp"
#include "velm/model/charge.hpp"
#include "velm/model/environment.hpp"
#include "velm/sequencer/narrative_sequencer.hpp"

namespace velm::bindings {

/// Refuses a Python instance of the bound type `T` whose `__init__` never ran.
///
/// `T.__new__(T)` (or a subclass that escapes `self` from an `__init__` that
/// does not reach the base one) gives Python an instance whose C++ object was
/// never constructed. pybind11 would hand its raw, uninitialised storage to the
/// bound function as if it were a `T`, which reads garbage or crashes; the
/// casters below call this first and raise TypeError instead.
template <class T>
void refuse_uninitialized(pybind11::handle src) {
    if (!src) {
        return;
    }
    const pybind11::detail::type_info* info = pybind11::detail::get_type_info(typeid(T));
    if (info == nullptr || !PyObject_TypeCheck(src.ptr(), info->type)) {
        return;
    }
    auto* instance = reinterpret_cast<pybind11::detail::instance*>(src.ptr());
    const pybind11::detail::value_and_holder held =
        instance->get_value_and_holder(info, /*throw_if_missing=*/false);
    if (held.inst == nullptr || !held.holder_constructed()) {
        throw pybind11::type_error(std::string(info->type->tp_name) +
                                   " object is not initialized: its __init__ was never called");
    }
}

}  // namespace velm::bindings

// Opened with pybind11's own macros, which give the namespace its hidden
// visibility; casters derived from its classes must share it.
PYBIND11_NAMESPACE_BEGIN(PYBIND11_NAMESPACE)
PYBIND11_NAMESPACE_BEGIN(detail)

/// The three classes and the enum, as `self` or as arguments: checked first,
/// then loaded exactly as pybind11 would.
template <class T>
class initialized_type_caster : public type_caster_base<T> {
public:
    bool load(handle src, bool convert) {
        velm::bindings::refuse_uninitialized<T>(src);
        return type_caster_base<T>::load(src, convert);
    }
};

template <>
class type_caster<velm::Environment> : public initialized_type_caster<velm::Environment> {};

template <>
class type_caster<velm::NarrativeSequencer>
    : public initialized_type_caster<velm::NarrativeSequencer> {};

template <>
class type_caster<velm::bindings::ChargeHandle>
    : public initialized_type_caster<velm::bindings::ChargeHandle> {};

/// Shares of a zone (`add_sub_environment`, the sequencer's constructor).
/// pybind11 refuses an uninitialised instance here too, but as RuntimeError;
/// this makes it the same TypeError as everywhere else.
template <>
class type_caster<std::shared_ptr<velm::Environment>>
    : public copyable_holder_caster<velm::Environment, std::shared_ptr<velm::Environment>> {
public:
    bool load(handle src, bool convert) {
        velm::bindings::refuse_uninitialized<velm::Environment>(src);
        return copyable_holder_caster::load(src, convert);
    }
};

template <>
class type_caster<velm::ChargePolarity> : public type_caster_enum_type<velm::ChargePolarity> {
public:
    bool load(handle src, bool convert) {
        velm::bindings::refuse_uninitialized<velm::ChargePolarity>(src);
        return type_caster_enum_type::load(src, convert);
    }
};

PYBIND11_NAMESPACE_END(detail)
PYBIND11_NAMESPACE_END(PYBIND11_NAMESPACE)
