#pragma once

namespace velm::bindings {

/// Refuses, from now on and for the whole process, every `__class__`
/// assignment that would give an object of one of the module's classes a
/// class holding another engine object, or the reverse. Called once the
/// classes are registered; raises the Python error if the guard cannot be set.
void guard_class_assignment();

}  // namespace velm::bindings
