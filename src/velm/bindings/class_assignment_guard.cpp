#include "velm/bindings/class_assignment_guard.hpp"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <stdexcept>
#include <typeinfo>
#include <vector>

#include <pybind11/pybind11.h>

#include "velm/bindings/casters.hpp"

// Python lets `obj.__class__ = Other` through whenever the two classes have
// the same C-level layout, and every pybind11 class has the same one: the C++
// object behind the instance would then be used, and in the end freed, as the
// wrong type (a Charge read as a zone, a shared holder freed as a unique one).
//
// The refusal cannot live in the classes: they may carry no members beyond
// pybind11's, a Python subclass of them never calls their attribute-setting
// slot (Python gives it `object`'s), and an object of an unrelated class
// never reaches them at all. Every `__class__` assignment does raise the
// audit event "object.__setattr__" before it changes anything, and an audit
// hook may stop the operation by raising, so the guard is such a hook.

namespace velm::bindings {

namespace {

// Kept, with a reference of their own, for as long as the process runs: the
// hook is never removed and may run while the interpreter shuts down.
std::array<PyTypeObject*, 4> engine_classes{};

bool is_engine_class(PyTypeObject* type) {
    return std::any_of(engine_classes.begin(), engine_classes.end(), [type](PyTypeObject* engine) {
        return engine != nullptr && PyType_IsSubtype(type, engine);
    });
}

// pybind11 lays an instance out by the registered C++ classes among its
// class's bases, so two classes with the same ones, in the same order, hold
// the same engine objects in the same places.
bool hold_the_same_engine_objects(PyTypeObject* from, PyTypeObject* to) {
    if (!is_engine_class(from) || !is_engine_class(to)) {
        return false;
    }
    const std::vector<pybind11::detail::type_info*> held = pybind11::detail::all_type_info(from);
    return held == pybind11::detail::all_type_info(to);
}

/// The class an `obj.__class__ = value` event would give its object, or null
/// for any other event.
PyTypeObject* class_being_assigned(const char* event, PyObject* args) {
    if (std::strcmp(event, "object.__setattr__") != 0 || !PyTuple_Check(args) ||
        PyTuple_GET_SIZE(args) != 3) {
        return nullptr;
    }
    PyObject* name = PyTuple_GET_ITEM(args, 1);
    PyObject* value = PyTuple_GET_ITEM(args, 2);
    if (!PyUnicode_Check(name) || PyUnicode_CompareWithASCIIString(name, "__class__") != 0 ||
        value == nullptr || !PyType_Check(value)) {
        return nullptr;  // not a class assignment, or one that Python refuses itself
    }
    return reinterpret_cast<PyTypeObject*>(value);
}

int refuse_engine_class_changes(const char* event, PyObject* args, void* /*user_data*/) {
    PyTypeObject* to = class_being_assigned(event, args);
    if (to == nullptr) {
        return 0;
    }
    PyTypeObject* from = Py_TYPE(PyTuple_GET_ITEM(args, 0));
    try {
        if ((!is_engine_class(from) && !is_engine_class(to)) ||
            hold_the_same_engine_objects(from, to)) {
            return 0;
        }
    } catch (pybind11::error_already_set& error) {
        error.restore();
        return -1;
    } catch (const std::bad_alloc&) {
        PyErr_NoMemory();
        return -1;
    } catch (const std::exception& error) {
        PyErr_SetString(PyExc_RuntimeError, error.what());
        return -1;
    }
    PyErr_Format(PyExc_TypeError,
                 "__class__ assignment: '%s' and '%s' objects hold different engine objects",
                 from->tp_name, to->tp_name);
    return -1;
}

template <class Bound>
PyTypeObject* kept_class() {
    pybind11::handle bound = pybind11::detail::get_type_handle(typeid(Bound), /*throw_if_missing=*/true);
    return reinterpret_cast<PyTypeObject*>(bound.inc_ref().ptr());
}

}  // namespace

void guard_class_assignment() {
    // Audit hooks belong to the process and cannot be removed: one is enough.
    static bool guarded = false;
    if (guarded) {
        return;
    }
    engine_classes = {kept_class<ChargePolarity>(), kept_class<ChargeHandle>(),
                      kept_class<Environment>(), kept_class<NarrativeSequencer>()};
    if (PySys_AddAuditHook(&refuse_engine_class_changes, nullptr) < 0) {
        throw pybind11::error_already_set();
    }
    guarded = true;
}

}  // namespace velm::bindings
