#pragma once

#include "Wendanet/Source/Support/ResponseSerializer.h"

namespace wendanet {

// The body as bytes; an allowed empty body gives empty data.
class DataResponseSerializer final : public ResponseSerializer {
 public:
  using SerializedObject = platform::Data;

  explicit DataResponseSerializer(std::shared_ptr<const DataPreprocessor> dataPreprocessor = defaultDataPreprocessor(),
                                  EmptyResponseCodes emptyResponseCodes = defaultEmptyResponseCodes(),
                                  EmptyRequestMethods emptyRequestMethods = defaultEmptyRequestMethods());

  platform::Data serialize(const std::optional<platform::URLRequest>& request,
                           const std::shared_ptr<const platform::HTTPURLResponse>& response,
                           const std::optional<platform::Data>& data, const std::optional<WNError>& error) const;
  platform::Data serializeDownload(const std::optional<platform::URLRequest>& request,
                                   const std::shared_ptr<const platform::HTTPURLResponse>& response,
                                   const std::optional<platform::URL>& fileURL,
                                   const std::optional<WNError>& error) const {
    return serialize(request, response, downloadedData(fileURL, error), std::nullopt);
  }
};

}  // namespace wendanet
