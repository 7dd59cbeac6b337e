#include <exception>

#include "velm/bindings/registration.hpp"
#include "velm/model/zone_tree.hpp"

namespace velm::bindings {

void register_errors() {
    // A tree too deep to walk is Python's own kind of failure: RecursionError.
    pybind11::register_exception_translator([](std::exception_ptr error) {
        try {
            if (error) {
                std::rethrow_exception(error);
            }
        } catch (const NestingLimitExceeded& too_deep) {
            pybind11::set_error(PyExc_RecursionError, too_deep.what());
        }
    });
}

}  // namespace velm::bindings
