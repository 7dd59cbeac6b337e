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

nlohmann::json Charge::to_json() const {
    return JsonObject()
        .add("magnitude", magnitude)
        .add("polarity", polarity_text(polarity))
        .add("visual_id", visual_id)
        .build();
}

void Charge::write_json(JsonTextWriter& out) const {
    out.begin_object();
    out.key("magnitude");
    out.number(magnitude);
    out.next_key("polarity");
    out.plain_string(polarity_text(polarity));
    out.next_key("visual_id");
    out.string(visual_id);
    out.end_object();
}

}  // namespace velm
