#include "Wendanet/Source/Core/MultipartEncodingFailureReason.h"

#include "Wendanet/Source/Core/ErrorText.h"
#include "Wendanet/Source/Core/TaggedUnion.h"

namespace wendanet {

using Reason = MultipartEncodingFailureReason;

std::optional<platform::URL> Reason::getURL() const {
  return std::visit(
      Overloaded{
          [](const BodyPartURLInvalid& reason) -> std::optional<URL> { return reason.url; },
          [](const BodyPartFilenameInvalid& reason) -> std::optional<URL> { return reason.in; },
          [](const BodyPartFileNotReachable& reason) -> std::optional<URL> { return reason.at; },
          [](const BodyPartFileNotReachableWithError& reason) -> std::optional<URL> { return reason.atURL; },
          [](const BodyPartFileIsDirectory& reason) -> std::optional<URL> { return reason.at; },
          [](const BodyPartFileSizeNotAvailable& reason) -> std::optional<URL> { return reason.at; },
          [](const BodyPartFileSizeQueryFailedWithError& reason) -> std::optional<URL> { return reason.forURL; },
          [](const BodyPartInputStreamCreationFailed& reason) -> std::optional<URL> { return reason.for_; },
          [](const OutputStreamCreationFailed& reason) -> std::optional<URL> { return reason.for_; },
          [](const OutputStreamFileAlreadyExists& reason) -> std::optional<URL> { return reason.at; },
          [](const OutputStreamURLInvalid& reason) -> std::optional<URL> { return reason.url; },
          [](const OutputStreamWriteFailed&) -> std::optional<URL> { return std::nullopt; },
          [](const InputStreamReadFailed&) -> std::optional<URL> { return std::nullopt; },
      },
      value_);
}

platform::AnyError Reason::getUnderlyingError() const {
  return std::visit(Overloaded{
                        [](const BodyPartFileNotReachableWithError& reason) { return reason.error; },
                        [](const BodyPartFileSizeQueryFailedWithError& reason) { return reason.error; },
                        [](const OutputStreamWriteFailed& reason) { return reason.error; },
                        [](const InputStreamReadFailed& reason) { return reason.error; },
                        [](const auto&) { return AnyError(); },
                    },
                    value_);
}

std::string Reason::reasonDescription() const {
  const auto urlText = [](const URL& url) { return url.absoluteString(); };
  return std::visit(
      Overloaded{
          [&](const BodyPartURLInvalid& reason) {
            return "The URL provided is not a file URL: " + urlText(reason.url);
          },
          [&](const BodyPartFilenameInvalid& reason) {
            return "The URL provided does not have a valid filename: " + urlText(reason.in);
          },
          [&](const BodyPartFileNotReachable& reason) {
            return "The URL provided is not reachable: " + urlText(reason.at);
          },
          [&](const BodyPartFileNotReachableWithError& reason) {
            return "The system returned an error while checking the provided URL for reachability.\nURL: " +
                   urlText(reason.atURL) + "\nError: " + textualFormOf(reason.error);
          },
          [&](const BodyPartFileIsDirectory& reason) {
            return "The URL provided is a directory: " + urlText(reason.at);
          },
          [&](const BodyPartFileSizeNotAvailable& reason) {
            return "Could not fetch the file size from the provided URL: " + urlText(reason.at);
          },
          [&](const BodyPartFileSizeQueryFailedWithError& reason) {
            return "The system returned an error while attempting to fetch the file size from the provided URL.\n"
                   "URL: " +
                   urlText(reason.forURL) + "\nError: " + textualFormOf(reason.error);
          },
          [&](const BodyPartInputStreamCreationFailed& reason) {
            return "Failed to create an InputStream for the provided URL: " + urlText(reason.for_);
          },
          [&](const OutputStreamCreationFailed& reason) {
            return "Failed to create an OutputStream for URL: " + urlText(reason.for_);
          },
          [&](const OutputStreamFileAlreadyExists& reason) {
            return "A file already exists at the provided URL: " + urlText(reason.at);
          },
          [&](const OutputStreamURLInvalid& reason) {
            return "The provided OutputStream URL is invalid: " + urlText(reason.url);
          },
          [&](const OutputStreamWriteFailed& reason) {
            return "OutputStream write failed with error: " + textualFormOf(reason.error);
          },
          [&](const InputStreamReadFailed& reason) {
            return "InputStream read failed with error: " + textualFormOf(reason.error);
          },
      },
      value_);
}

}  // namespace wendanet
