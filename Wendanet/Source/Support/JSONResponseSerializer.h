#pragma once

#include "Platform/Coding/JSONSerialization.h"
#include "Platform/Coding/JSONValue.h"
#include "Wendanet/Source/Support/ResponseSerializer.h"

namespace wendanet {

// The body read as JSON into a value tree; an allowed empty body gives
// null. A top-level value other than an array or object is accepted unless
// the options say otherwise.
class JSONResponseSerializer final : public ResponseSerializer {
 public:
  using SerializedObject = platform::JSONValue;

  static constexpr platform::JSONReadingOptions defaultOptions = platform::JSONReadingOptions::fragmentsAllowed;

  explicit JSONResponseSerializer(std::shared_ptr<const DataPreprocessor> dataPreprocessor = defaultDataPreprocessor(),
                                  EmptyResponseCodes emptyResponseCodes = defaultEmptyResponseCodes(),
                                  EmptyRequestMethods emptyRequestMethods = defaultEmptyRequestMethods(),
                                  platform::JSONReadingOptions options = defaultOptions);

  platform::JSONReadingOptions options() const { return options_; }

  platform::JSONValue serialize(const std::optional<platform::URLRequest>& request,
                                const std::shared_ptr<const platform::HTTPURLResponse>& response,
                                const std::optional<platform::Data>& data, const std::optional<WNError>& error) const;
  platform::JSONValue serializeDownload(const std::optional<platform::URLRequest>& request,
                                        const std::shared_ptr<const platform::HTTPURLResponse>& response,
                                        const std::optional<platform::URL>& fileURL,
                                        const std::optional<WNError>& error) const {
    return serialize(request, response, downloadedData(fileURL, error), std::nullopt);
  }

 private:
  platform::JSONReadingOptions options_;
};

}  // namespace wendanet
