#include "velm/model/charge.hpp"

namespace velm {

const char* polarity_text(ChargePolarity polarity) {
    switch (polarity) {
        case POSITIVE: return "positive";
        case NEGATIVE: return "negative";
        default: return "neutral";
    }
}

nlohmann::json Charge::to_json() const {
    return {
        {"magnitude", magnitude},
        {"polarity", polarity_text(polarity)},
        {"visual_id", visual_id},
    };
}

}  // namespace velm
