#pragma once

// Every caster of the module that takes over from one of pybind11's. Included
// by every binding file (through registration.hpp or environment_class.hpp)
// right after pybind11 itself, before anything is bound or converted: a type
// must get the same caster in every file, and a specialisation must come
// before pybind11 would have used its own.

#include "velm/bindings/flag_argument.hpp"
#include "velm/bindings/float_caster.hpp"
#include "velm/bindings/initialized_caster.hpp"
#include "velm/bindings/int32_caster.hpp"
#include "velm/bindings/text_caster.hpp"
