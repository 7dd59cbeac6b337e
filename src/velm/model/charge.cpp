#include "velm/model/charge.hpp"

#include "velm/model/json_object.hpp"
#include "velm/model/json_text_writer.hpp"

namespace velm {

std::string_view polarity_text(ChargePolarity polarity) {
    switch (polarity) {
        case POSITIVE: return "positive";
        case NEGATIVE: return "negative";
        default: return "neutral";
    }
}

namespace {

/// The text between a charge's magnitude and its visual id.
void write_polarity_member(JsonTextWriter& out, ChargePolarity polarity) {
    switch (polarity) {
        case POSITIVE: out.layout(R"(,"polarity":"positive","visual_id":)"); return;
        case NEGATIVE: out.layout(R"(,"polarity":"negative","visual_id":)"); return;
        default: out.layout(R"(,"polarity":"neutral","visual_id":)"); return;
    }
}

}  // namespace

nlohmann::json Charge::to_json() const {
    return JsonObject()
        .add("magnitude", magnitude)
        .add("polarity", polarity_text(polarity))
        .add("visual_id", visual_id)
        .build();
}

void Charge::write_json(JsonTextWriter& out) const {
    // Most of a charge's text is fixed; it goes out in as few pieces as the
    // two values between them allow.
    out.layout(R"({"magnitude":)");
    out.number(magnitude);
    write_polarity_member(out, polarity);
    out.string(visual_id);
    out.end_object();
}

}  // namespace velm
