#include "velm/model/charge.hpp"

#include "velm/model/json_object.hpp"

namespace velm {

const char* polarity_text(ChargePolarity polarity) {
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

}  // namespace velm
