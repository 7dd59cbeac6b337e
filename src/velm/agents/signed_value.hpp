#pragma once

#include <vector>

#include "velm/model/charge.hpp"

namespace velm {

/// Signed value counting NEUTRAL (and any unknown polarity) as negative:
/// the reading of the adding kinds and of the gates.
inline double signed_value_neutral_negative(const Charge& charge) {
    return charge.polarity == POSITIVE ? charge.magnitude : -charge.magnitude;
}

/// Signed value counting NEUTRAL (and any unknown polarity) as positive:
/// the reading of the power kind.
inline double signed_value_neutral_positive(const Charge& charge) {
    return charge.polarity == NEGATIVE ? -charge.magnitude : charge.magnitude;
}

/// 0.0 plus the NEUTRAL-negative signed value of every charge, front to back.
double signed_sum(const std::vector<Charge>& charges);

}  // namespace velm
