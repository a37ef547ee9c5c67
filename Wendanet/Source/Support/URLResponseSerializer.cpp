#include "Wendanet/Source/Support/URLResponseSerializer.h"

#include "Wendanet/Source/Support/ResponseSerializer.h"

namespace wendanet {

platform::URL URLResponseSerializer::serializeDownload(const std::optional<platform::URLRequest>&,
                                                       const std::shared_ptr<const platform::HTTPURLResponse>&,
                                                       const std::optional<platform::URL>& fileURL,
                                                       const std::optional<WNError>& error) const {
  throwIfPresent(error);
  if (!fileURL) throw WNError::responseSerializationFailed(ResponseSerializationFailureReason::inputFileNil());
  return *fileURL;
}

}  // namespace wendanet
