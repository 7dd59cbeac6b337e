#include "velm/sequencer/frame_report_text.hpp"

#include "velm/model/zone_state_text.hpp"

namespace velm {

namespace {

/// The report's "meta" member: the frame information inside the root's object.
class FrameInfo final : public RootMemberWriter {
public:
    FrameInfo(const NarrativeSequencer& sequencer, std::string_view status,
              std::string_view message)
        : sequencer_(sequencer), status_(status), message_(message) {}

    void write_member(JsonTextWriter& out) const override {
        out.next_key("meta");
        out.begin_object();
        out.key("frame_index");
        out.integer(sequencer_.current_frame);
        out.next_key("last_event");
        if (sequencer_.last_event) {
            sequencer_.last_event->write_json(out);
        } else {
            out.null();
        }
        out.next_key("message");
        out.string(message_);
        out.next_key("status");
        out.plain_string(status_);
        out.end_object();
    }

private:
    const NarrativeSequencer& sequencer_;
    std::string_view status_;
    std::string_view message_;
};

}  // namespace

void write_frame_report(JsonTextWriter& out, const NarrativeSequencer& sequencer,
                        std::string_view status, std::string_view message) {
    const FrameInfo frame_info(sequencer, status, message);
    write_zone_state(out, *sequencer.env, &frame_info);
}

}  // namespace velm
