#pragma once

#include <string_view>

#include "velm/model/json_text_writer.hpp"
#include "velm/sequencer/narrative_sequencer.hpp"

namespace velm {

/// Writes the text of the report of the frame that `sequencer` has just
/// played, with `status` and `message`, straight to `out`: the same text as
/// the JSON value that `next_frame()` returns.
void write_frame_report(JsonTextWriter& out, const NarrativeSequencer& sequencer,
                        std::string_view status, std::string_view message);

}  // namespace velm
