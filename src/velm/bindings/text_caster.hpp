#pragma once

// Part of the casters of casters.hpp; see there for where it must be included.

#include <cstddef>
#include <string>

#include <pybind11/pybind11.h>

#include "velm/bindings/conversion_failure.hpp"

PYBIND11_NAMESPACE_BEGIN(PYBIND11_NAMESPACE)
PYBIND11_NAMESPACE_BEGIN(detail)

/// Text parameters and setters. A `str` is stored as its UTF-8 bytes and
/// `bytes` or `bytearray` byte for byte, as by pybind11's own caster; a `str`
/// that cannot be encoded (a lone surrogate) is refused as before, but running
/// out of memory while encoding gives MemoryError rather than "incompatible
/// arguments".
template <>
class type_caster<std::string> : public string_caster<std::string> {
public:
    bool load(handle src, bool convert) {
        if (!src || !PyUnicode_Check(src.ptr())) {
            return string_caster::load(src, convert);
        }
        Py_ssize_t size = -1;
        const char* utf8 = PyUnicode_AsUTF8AndSize(src.ptr(), &size);
        if (utf8 == nullptr) {
            return velm::bindings::refuse_if_unfit(PyExc_UnicodeError);
        }
        value.assign(utf8, static_cast<std::size_t>(size));
        return true;
    }
};

PYBIND11_NAMESPACE_END(detail)
PYBIND11_NAMESPACE_END(PYBIND11_NAMESPACE)
