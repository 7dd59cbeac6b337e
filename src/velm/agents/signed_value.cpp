#include "velm/agents/signed_value.hpp"

namespace velm {

double signed_sum(const std::vector<Charge>& charges) {
    double sum = 0.0;
    for (const Charge& charge : charges) {
        sum += signed_value_neutral_negative(charge);
    }
    return sum;
}

}  // namespace velm
