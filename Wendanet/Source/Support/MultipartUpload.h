#pragma once

#include <cstdint>
#include <exception>
#include <expected>
#include <filesystem>
#include <memory>
#include <optional>

#include "Platform/Files/FileManager.h"
#include "Platform/Foundation/URLRequest.h"
#include "Wendanet/Source/Core/Protected.h"
#include "Wendanet/Source/Core/Uploadable.h"
#include "Wendanet/Source/Core/UploadableConvertible.h"
#include "Wendanet/Source/Core/URLRequestConvertible.h"
#include "Wendanet/Source/Support/MultipartFormData.h"

namespace wendanet {

// The URL request and the body of a multipart upload. A form whose parts
// add up to less than the threshold is sent from memory; a larger one is
// written to a temporary file of its own, which the upload request removes
// when it is done.
class MultipartUpload final : public UploadConvertible {
 public:
  static std::shared_ptr<MultipartUpload> make(std::uint64_t encodingMemoryThreshold,
                                               std::shared_ptr<const URLRequestConvertible> request,
                                               std::shared_ptr<MultipartFormData> multipartFormData);

  // The request's URL request with "Content-Type" set to the form's, under
  // that exact name, whatever letter case an earlier one had. A failure of
  // the request is thrown unchanged.
  platform::URLRequest asURLRequest() const override;
  // The body, built by the first call; every later call gives the same
  // bytes or file, or throws the same failure. Concurrent first calls build
  // once. Throws the form's WNError, or the file error of the temporary
  // directory.
  Uploadable createUploadable() const override;

  std::uint64_t encodingMemoryThreshold() const { return encodingMemoryThreshold_; }
  const std::shared_ptr<const URLRequestConvertible>& request() const { return request_; }
  const std::shared_ptr<platform::FileManager>& fileManager() const { return fileManager_; }
  // "org.wendanet.manager/multipart.form.data" in the temporary directory;
  // shared by every upload and never removed.
  std::filesystem::path temporaryDirectory() const;

 private:
  // The thrown failure itself, so that it is thrown again as it was.
  using Outcome = std::expected<Uploadable, std::exception_ptr>;

  MultipartUpload(std::uint64_t encodingMemoryThreshold, std::shared_ptr<const URLRequestConvertible> request,
                  std::shared_ptr<MultipartFormData> multipartFormData);

  Outcome build() const;
  Uploadable writeToTemporaryFile() const;

  // Held while the first body is built, so that a second caller waits for
  // it. The form's lock may be taken inside it, never the other way round.
  mutable Protected<std::optional<Outcome>> result_;
  mutable Protected<std::shared_ptr<MultipartFormData>> multipartFormData_;
  const std::uint64_t encodingMemoryThreshold_;
  const std::shared_ptr<const URLRequestConvertible> request_;
  const std::shared_ptr<platform::FileManager> fileManager_;
};

}  // namespace wendanet
