#pragma once

#include <curl/curl.h>

#include <string>

#include "Platform/Foundation/Error.h"

namespace platform {

// What the transfer library reported, kept as the underlying error of the
// URLError a task fails with.
class CurlError : public ErrorBase<CurlError> {
 public:
  // `osErrno` is the last system error of the transfer, 0 when none.
  CurlError(CURLcode code, std::string message, int osErrno)
      : code_(code), message_(std::move(message)), osErrno_(osErrno) {}

  CURLcode code() const { return code_; }
  const std::string& message() const { return message_; }
  int osErrno() const { return osErrno_; }
  std::string description() const override;

 private:
  CURLcode code_;
  std::string message_;
  int osErrno_;
};

}  // namespace platform
