#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <expected>
#include <string>
#include <variant>

#include "Platform/Streams/InputStream.h"
#include "Wendanet/Source/Core/WNError.h"

namespace wendanet::testing {

// The WNError `action` throws; a test failure when it throws none.
template <class Action>
WNError thrownWNError(Action&& action) {
  try {
    action();
  } catch (const WNError& error) {
    return error;
  }
  ADD_FAILURE() << "no WNError was thrown";
  return WNError::explicitlyCancelled();
}

// The multipart failure case the error holds, or null for any other.
template <class Case>
const Case* multipartReason(const WNError& error) {
  const auto* failed = std::get_if<WNError::MultipartEncodingFailed>(&error.value());
  return failed ? std::get_if<Case>(&failed->reason.value()) : nullptr;
}

// The length record of an inputStreamReadFailed, or null.
inline const UnexpectedInputStreamLength* unexpectedLength(const WNError& error) {
  const auto* failed = multipartReason<MultipartEncodingFailureReason::InputStreamReadFailed>(error);
  return failed ? platform::errorAs<UnexpectedInputStreamLength>(failed->error) : nullptr;
}

// Gives its bytes, then fails with `error` instead of ending.
class FailingInputStream final : public platform::InputStream {
 public:
  FailingInputStream(std::string bytes, platform::AnyError error)
      : bytes_(std::move(bytes)), error_(std::move(error)) {}

 private:
  std::expected<void, platform::AnyError> openResource() override { return {}; }
  void closeResource() override {}
  std::expected<std::size_t, platform::AnyError> readBytes(std::uint8_t* buffer, std::size_t maxLength) override {
    if (bytes_.empty()) return std::unexpected(error_);
    const auto count = std::min(maxLength, bytes_.size());
    std::copy_n(bytes_.begin(), count, buffer);
    bytes_.erase(0, count);
    return count;
  }

  std::string bytes_;
  platform::AnyError error_;
};

}  // namespace wendanet::testing
