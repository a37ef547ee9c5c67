#include "Wendanet/Source/Support/MultipartUpload.h"

#include <utility>
#include <variant>

#include "Platform/Foundation/Error.h"
#include "Platform/Foundation/URL.h"
#include "Platform/Foundation/UUID.h"
#include "Wendanet/Source/Core/HTTPHeaders.h"
#include "Wendanet/Source/Core/WNError.h"

namespace wendanet {

namespace {

// Only a failure met while reading a part or writing the file comes after
// the form created the file; any earlier one means the path was never the
// form's, and whatever is there must stay.
bool formCreatedFile(const WNError& error) {
  const auto* failure = std::get_if<WNError::MultipartEncodingFailed>(&error.value());
  if (!failure) return false;
  const auto& reason = failure->reason.value();
  return std::holds_alternative<MultipartEncodingFailureReason::InputStreamReadFailed>(reason) ||
         std::holds_alternative<MultipartEncodingFailureReason::OutputStreamWriteFailed>(reason);
}

}  // namespace

std::shared_ptr<MultipartUpload> MultipartUpload::make(std::uint64_t encodingMemoryThreshold,
                                                       std::shared_ptr<const URLRequestConvertible> request,
                                                       std::shared_ptr<MultipartFormData> multipartFormData) {
  return std::shared_ptr<MultipartUpload>(
      new MultipartUpload(encodingMemoryThreshold, std::move(request), std::move(multipartFormData)));
}

MultipartUpload::MultipartUpload(std::uint64_t encodingMemoryThreshold,
                                 std::shared_ptr<const URLRequestConvertible> request,
                                 std::shared_ptr<MultipartFormData> multipartFormData)
    : multipartFormData_(multipartFormData),
      encodingMemoryThreshold_(encodingMemoryThreshold),
      request_(std::move(request)),
      fileManager_(multipartFormData->fileManager()) {}

platform::URLRequest MultipartUpload::asURLRequest() const {
  auto urlRequest = request_->asURLRequest();
  const auto contentType =
      multipartFormData_.write([](const std::shared_ptr<MultipartFormData>& form) { return form->contentType(); });
  auto headers = getHeaders(urlRequest);
  headers.update("Content-Type", contentType);
  setHeaders(urlRequest, headers);
  return urlRequest;
}

Uploadable MultipartUpload::createUploadable() const {
  const Outcome outcome = result_.write([&](std::optional<Outcome>& stored) {
    if (!stored) stored = build();
    return *stored;
  });
  if (!outcome) std::rethrow_exception(outcome.error());
  return *outcome;
}

std::filesystem::path MultipartUpload::temporaryDirectory() const {
  return fileManager_->temporaryDirectory() / "org.wendanet.manager" / "multipart.form.data";
}

MultipartUpload::Outcome MultipartUpload::build() const {
  try {
    const auto contentLength =
        multipartFormData_.write([](const std::shared_ptr<MultipartFormData>& form) { return form->contentLength(); });
    if (contentLength >= encodingMemoryThreshold_) return writeToTemporaryFile();
    return Uploadable::data(
        multipartFormData_.write([](const std::shared_ptr<MultipartFormData>& form) { return form->encode(); }));
  } catch (const platform::Error&) {
    return std::unexpected(std::current_exception());
  }
}

Uploadable MultipartUpload::writeToTemporaryFile() const {
  const auto directory = temporaryDirectory();
  const auto file = directory / platform::UUID().uuidString();
  const auto fileURL = platform::URL::fileURL(file.string());
  fileManager_->createDirectory(directory, true);
  try {
    multipartFormData_.write([&](const std::shared_ptr<MultipartFormData>& form) { form->writeEncodedData(fileURL); });
  } catch (const WNError& error) {
    if (formCreatedFile(error)) {
      try {
        fileManager_->removeItem(file);
      } catch (const platform::Error&) {
        // The write's failure is what the caller needs to hear of.
      }
    }
    throw;
  }
  return Uploadable::file(fileURL, true);
}

}  // namespace wendanet
