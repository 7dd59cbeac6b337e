#pragma once

#include <utility>

#include <nlohmann/json.hpp>

namespace velm {

/// Builds a JSON object from members added in ascending key order.
///
/// The object type keeps its keys sorted, so a member whose key sorts after
/// all the others goes to the end without a search, and each value is built
/// in place. A key out of order is still placed right, only at the cost of a
/// search. Used as one expression: `JsonObject().add(...).add(...).build()`.
class JsonObject {
public:
    template <class Value>
    JsonObject&& add(const char* key, Value&& value) && {
        members_.emplace_hint(members_.end(), key, std::forward<Value>(value));
        return std::move(*this);
    }

    nlohmann::json build() && { return nlohmann::json(std::move(members_)); }

private:
    nlohmann::json::object_t members_;
};

}  // namespace velm
