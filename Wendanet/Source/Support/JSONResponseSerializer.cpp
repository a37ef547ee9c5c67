#include "Wendanet/Source/Support/JSONResponseSerializer.h"

namespace wendanet {

JSONResponseSerializer::JSONResponseSerializer(std::shared_ptr<const DataPreprocessor> dataPreprocessor,
                                               EmptyResponseCodes emptyResponseCodes,
                                               EmptyRequestMethods emptyRequestMethods,
                                               platform::JSONReadingOptions options)
    : ResponseSerializer(std::move(dataPreprocessor), std::move(emptyResponseCodes), std::move(emptyRequestMethods)),
      options_(options) {}

platform::JSONValue JSONResponseSerializer::serialize(const std::optional<platform::URLRequest>& request,
                                                      const std::shared_ptr<const platform::HTTPURLResponse>& response,
                                                      const std::optional<platform::Data>& data,
                                                      const std::optional<WNError>& error) const {
  const auto read = [&](const platform::Data& body) {
    try {
      return platform::JSONSerialization::jsonObject(body, options_);
    } catch (const platform::Error& failure) {
      throw WNError::responseSerializationFailed(
          ResponseSerializationFailureReason::jsonSerializationFailed(failure.clone()));
    }
  };
  return serializeBody(request, response, data, error, read, [] { return platform::JSONValue(nullptr); });
}

}  // namespace wendanet
