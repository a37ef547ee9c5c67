#include "Wendanet/Source/Support/ResponseSerializer.h"

#include "Platform/Files/FileManager.h"

namespace wendanet {

const std::shared_ptr<const DataPreprocessor>& ResponseSerializer::defaultDataPreprocessor() {
  static const std::shared_ptr<const DataPreprocessor> preprocessor = std::make_shared<PassthroughPreprocessor>();
  return preprocessor;
}

const ResponseSerializer::EmptyResponseCodes& ResponseSerializer::defaultEmptyResponseCodes() {
  static const EmptyResponseCodes::Set codes{204, 205};
  static const EmptyResponseCodes shared = EmptyResponseCodes::referringTo(codes);
  return shared;
}

const ResponseSerializer::EmptyRequestMethods& ResponseSerializer::defaultEmptyRequestMethods() {
  static const EmptyRequestMethods::Set methods{HTTPMethod::head()};
  static const EmptyRequestMethods shared = EmptyRequestMethods::referringTo(methods);
  return shared;
}

ResponseSerializer::ResponseSerializer(std::shared_ptr<const DataPreprocessor> dataPreprocessor,
                                       EmptyResponseCodes emptyResponseCodes, EmptyRequestMethods emptyRequestMethods)
    : dataPreprocessor_(std::move(dataPreprocessor)),
      emptyResponseCodes_(std::move(emptyResponseCodes)),
      emptyRequestMethods_(std::move(emptyRequestMethods)) {}

std::optional<bool> ResponseSerializer::requestAllowsEmptyResponseData(
    const std::optional<platform::URLRequest>& request) const {
  if (!request || !request->httpMethod()) return std::nullopt;
  return emptyRequestMethods_.contains(HTTPMethod(*request->httpMethod()));
}

std::optional<bool> ResponseSerializer::responseAllowsEmptyResponseData(
    const std::shared_ptr<const platform::HTTPURLResponse>& response) const {
  if (!response) return std::nullopt;
  return emptyResponseCodes_.contains(response->statusCode());
}

bool ResponseSerializer::emptyResponseAllowed(const std::optional<platform::URLRequest>& request,
                                              const std::shared_ptr<const platform::HTTPURLResponse>& response) const {
  return requestAllowsEmptyResponseData(request).value_or(false) ||
         responseAllowsEmptyResponseData(response).value_or(false);
}

platform::Data ResponseSerializer::downloadedData(const std::optional<platform::URL>& fileURL,
                                                  const std::optional<WNError>& error) {
  throwIfPresent(error);
  using Reason = ResponseSerializationFailureReason;
  if (!fileURL) throw WNError::responseSerializationFailed(Reason::inputFileNil());
  try {
    if (fileURL->isFileURL()) return platform::FileManager::defaultManager()->contentsOfFile(fileURL->path());
  } catch (const platform::Error&) {
    // Only the file that could not be read is reported.
  }
  throw WNError::responseSerializationFailed(Reason::inputFileReadFailed(*fileURL));
}

}  // namespace wendanet
