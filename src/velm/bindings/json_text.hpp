#pragma once

#include <pybind11/pybind11.h>

#include "velm/model/json_text_writer.hpp"

namespace velm::bindings {

/// The writer behind every JSON text of the module. Every call arrives with
/// the interpreter lock held and the engine never calls back into Python, so
/// one writer, and one buffer, serves them all.
JsonTextWriter& module_json_writer();

/// `text` as a new Python str. ASCII text is copied in as it is, without a
/// second UTF-8 check; any other text was checked as it was written.
pybind11::str python_str(const JsonTextWriter& text);

/// The one way JSON text reaches Python: `write(writer)` writes the text into
/// the module's writer, which becomes a str. The writer is reset afterwards,
/// also when writing fails, so it starts every text empty and an outsized
/// text's buffer is given back at once.
template <class Write>
pybind11::str json_text(Write&& write) {
    struct Session {
        JsonTextWriter& writer;
        ~Session() { writer.reset(); }
    } session{module_json_writer()};
    write(session.writer);
    return python_str(session.writer);
}

}  // namespace velm::bindings
