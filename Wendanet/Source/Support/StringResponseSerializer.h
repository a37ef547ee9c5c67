#pragma once

#include <string>

#include "Platform/Foundation/TextEncoding.h"
#include "Wendanet/Source/Support/ResponseSerializer.h"

namespace wendanet {

// The body as text, converted to UTF-8 from the given encoding, else from
// the charset the response names, else from UTF-8 when the bytes are UTF-8
// and from ISO Latin 1 when they are not. An allowed empty body gives the
// empty text.
class StringResponseSerializer final : public ResponseSerializer {
 public:
  using SerializedObject = std::string;

  explicit StringResponseSerializer(
      std::shared_ptr<const DataPreprocessor> dataPreprocessor = defaultDataPreprocessor(),
      std::optional<platform::TextEncoding> encoding = std::nullopt,
      EmptyResponseCodes emptyResponseCodes = defaultEmptyResponseCodes(),
      EmptyRequestMethods emptyRequestMethods = defaultEmptyRequestMethods());

  const std::optional<platform::TextEncoding>& encoding() const { return encoding_; }

  std::string serialize(const std::optional<platform::URLRequest>& request,
                        const std::shared_ptr<const platform::HTTPURLResponse>& response,
                        const std::optional<platform::Data>& data, const std::optional<WNError>& error) const;
  std::string serializeDownload(const std::optional<platform::URLRequest>& request,
                                const std::shared_ptr<const platform::HTTPURLResponse>& response,
                                const std::optional<platform::URL>& fileURL,
                                const std::optional<WNError>& error) const {
    return serialize(request, response, downloadedData(fileURL, error), std::nullopt);
  }

 private:
  std::optional<platform::TextEncoding> encoding_;
};

}  // namespace wendanet
