#include "Wendanet/Source/Support/DataResponseSerializer.h"

namespace wendanet {

DataResponseSerializer::DataResponseSerializer(std::shared_ptr<const DataPreprocessor> dataPreprocessor,
                                               EmptyResponseCodes emptyResponseCodes,
                                               EmptyRequestMethods emptyRequestMethods)
    : ResponseSerializer(std::move(dataPreprocessor), std::move(emptyResponseCodes), std::move(emptyRequestMethods)) {}

platform::Data DataResponseSerializer::serialize(const std::optional<platform::URLRequest>& request,
                                                 const std::shared_ptr<const platform::HTTPURLResponse>& response,
                                                 const std::optional<platform::Data>& data,
                                                 const std::optional<WNError>& error) const {
  return serializeBody(
      request, response, data, error, [](platform::Data body) { return body; }, [] { return platform::Data(); });
}

}  // namespace wendanet
