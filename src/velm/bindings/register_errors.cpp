#include <exception>

#include "velm/bindings/registration.hpp"
#include "velm/model/zone_limits.hpp"

namespace velm::bindings {

void register_errors() {
    // A tree too deep to walk is Python's own kind of failure: RecursionError.
    // One that unfolds to too many places is a level the host should not
    // have built: ValueError.
    pybind11::register_exception_translator([](std::exception_ptr error) {
        try {
            if (error) {
                std::rethrow_exception(error);
            }
        } catch (const NestingLimitExceeded& too_deep) {
            pybind11::set_error(PyExc_RecursionError, too_deep.what());
        } catch (const PlaceLimitExceeded& too_large) {
            pybind11::set_error(PyExc_ValueError, too_large.what());
        }
    });
}

}  // namespace velm::bindings
