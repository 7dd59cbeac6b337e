#include "velm/bindings/json_text.hpp"

#include <string>

namespace velm::bindings {

pybind11::str json_text(const nlohmann::json& value) {
    // The text is written into a buffer kept from call to call (it holds on to
    // the capacity of the longest text so far): a level's reports are of much
    // the same size every frame, so writing one allocates nothing, and its
    // bytes are copied once, into the Python string. This is the writer that
    // json::dump() uses, with dump()'s defaults, so the bytes and the strict
    // UTF-8 check are the same as dump()'s.
    thread_local std::string text;
    text.clear();
    nlohmann::detail::serializer<nlohmann::json> writer(nlohmann::detail::output_adapter<char>(text),
                                                        ' ');
    writer.dump(value, false, false, 0);
    return pybind11::str(text.data(), text.size());
}

}  // namespace velm::bindings
