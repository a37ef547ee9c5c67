#pragma once

#include <optional>
#include <string>
#include <utility>
#include <variant>

#include "Platform/Foundation/Error.h"
#include "Platform/Foundation/URL.h"
#include "Wendanet/Source/Core/TaggedUnion.h"

namespace wendanet {

// Why a multipart form could not be encoded. Payload fields carry the
// labels the cases are known by; `for_` stands for the label "for".
class MultipartEncodingFailureReason {
 public:
  using URL = platform::URL;
  using AnyError = platform::AnyError;

  struct BodyPartURLInvalid {
    URL url;
  };
  struct BodyPartFilenameInvalid {
    URL in;
  };
  struct BodyPartFileNotReachable {
    URL at;
  };
  struct BodyPartFileNotReachableWithError {
    URL atURL;
    AnyError error;
  };
  struct BodyPartFileIsDirectory {
    URL at;
  };
  struct BodyPartFileSizeNotAvailable {
    URL at;
  };
  struct BodyPartFileSizeQueryFailedWithError {
    URL forURL;
    AnyError error;
  };
  struct BodyPartInputStreamCreationFailed {
    URL for_;
  };
  struct OutputStreamCreationFailed {
    URL for_;
  };
  struct OutputStreamFileAlreadyExists {
    URL at;
  };
  struct OutputStreamURLInvalid {
    URL url;
  };
  struct OutputStreamWriteFailed {
    AnyError error;
  };
  struct InputStreamReadFailed {
    AnyError error;
  };
  using Case = std::variant<BodyPartURLInvalid, BodyPartFilenameInvalid, BodyPartFileNotReachable,
                            BodyPartFileNotReachableWithError, BodyPartFileIsDirectory, BodyPartFileSizeNotAvailable,
                            BodyPartFileSizeQueryFailedWithError, BodyPartInputStreamCreationFailed,
                            OutputStreamCreationFailed, OutputStreamFileAlreadyExists, OutputStreamURLInvalid,
                            OutputStreamWriteFailed, InputStreamReadFailed>;

  static MultipartEncodingFailureReason bodyPartURLInvalid(URL url) { return BodyPartURLInvalid{std::move(url)}; }
  static MultipartEncodingFailureReason bodyPartFilenameInvalid(URL in) {
    return BodyPartFilenameInvalid{std::move(in)};
  }
  static MultipartEncodingFailureReason bodyPartFileNotReachable(URL at) {
    return BodyPartFileNotReachable{std::move(at)};
  }
  static MultipartEncodingFailureReason bodyPartFileNotReachableWithError(URL atURL, AnyError error) {
    return BodyPartFileNotReachableWithError{std::move(atURL), std::move(error)};
  }
  static MultipartEncodingFailureReason bodyPartFileIsDirectory(URL at) {
    return BodyPartFileIsDirectory{std::move(at)};
  }
  static MultipartEncodingFailureReason bodyPartFileSizeNotAvailable(URL at) {
    return BodyPartFileSizeNotAvailable{std::move(at)};
  }
  static MultipartEncodingFailureReason bodyPartFileSizeQueryFailedWithError(URL forURL, AnyError error) {
    return BodyPartFileSizeQueryFailedWithError{std::move(forURL), std::move(error)};
  }
  static MultipartEncodingFailureReason bodyPartInputStreamCreationFailed(URL for_) {
    return BodyPartInputStreamCreationFailed{std::move(for_)};
  }
  static MultipartEncodingFailureReason outputStreamCreationFailed(URL for_) {
    return OutputStreamCreationFailed{std::move(for_)};
  }
  static MultipartEncodingFailureReason outputStreamFileAlreadyExists(URL at) {
    return OutputStreamFileAlreadyExists{std::move(at)};
  }
  static MultipartEncodingFailureReason outputStreamURLInvalid(URL url) {
    return OutputStreamURLInvalid{std::move(url)};
  }
  static MultipartEncodingFailureReason outputStreamWriteFailed(AnyError error) {
    return OutputStreamWriteFailed{std::move(error)};
  }
  static MultipartEncodingFailureReason inputStreamReadFailed(AnyError error) {
    return InputStreamReadFailed{std::move(error)};
  }

  template <AlternativeOf<Case> Alternative>

  MultipartEncodingFailureReason(Alternative value) : value_(std::move(value)) {}
  const Case& value() const { return value_; }

  // The URL of every reason but the two stream failures.
  std::optional<URL> getURL() const;
  // The error of the reasons that carry one; null for the others.
  AnyError getUnderlyingError() const;

  std::string reasonDescription() const;

 private:
  Case value_;
};

}  // namespace wendanet
