#pragma once

#include <memory>
#include <optional>

#include "Platform/Foundation/HTTPURLResponse.h"
#include "Platform/Foundation/URL.h"
#include "Platform/Foundation/URLRequest.h"
#include "Wendanet/Source/Core/WNError.h"

namespace wendanet {

// A download's file URL as it is; the file is not opened.
class URLResponseSerializer final {
 public:
  using SerializedObject = platform::URL;

  platform::URL serializeDownload(const std::optional<platform::URLRequest>& request,
                                  const std::shared_ptr<const platform::HTTPURLResponse>& response,
                                  const std::optional<platform::URL>& fileURL,
                                  const std::optional<WNError>& error) const;
};

}  // namespace wendanet
