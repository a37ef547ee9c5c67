#include "Wendanet/Source/Core/ParameterValue.h"

#include "Wendanet/Source/Core/TaggedUnion.h"

namespace wendanet {

std::optional<platform::JSONValue> ParameterValue::jsonValue() const {
  return std::visit(Overloaded{
                        [](const ParameterArray& elements) -> std::optional<platform::JSONValue> {
                          platform::JSONArray array;
                          array.reserve(elements.size());
                          for (const auto& element : elements) {
                            auto json = element.jsonValue();
                            if (!json) return std::nullopt;
                            array.push_back(std::move(*json));
                          }
                          return array;
                        },
                        [](const Parameters& parameters) { return wendanet::jsonValue(parameters); },
                        [](platform::Date) -> std::optional<platform::JSONValue> { return std::nullopt; },
                        [](const auto& scalar) -> std::optional<platform::JSONValue> { return scalar; },
                    },
                    storage_);
}

std::optional<platform::JSONValue> jsonValue(const Parameters& parameters) {
  platform::JSONObject object;
  for (const auto& [key, value] : parameters) {
    auto json = value.jsonValue();
    if (!json) return std::nullopt;
    object.set(key, std::move(*json));
  }
  return object;
}

}  // namespace wendanet
