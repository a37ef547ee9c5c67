#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "Platform/Foundation/Data.h"

namespace platform::detail {

// Fetches revocation data (a revocation list, an OCSP response) over plain
// HTTP with a transfer of its own, so a check never waits on, or for, the
// connection whose certificate it checks.
class RevocationFetcher {
 public:
  static constexpr std::chrono::milliseconds defaultTimeout{5000};
  // Revocation lists of large authorities run to megabytes; nothing
  // legitimate comes near this.
  static constexpr std::size_t maximumSize = 32 * 1024 * 1024;

  // GET `url`, or POST `body` to it with `contentType` when a body is
  // given. None when the URL is not http://, the server does not answer
  // 200 within the timeout, or the answer is too large.
  static std::optional<Data> fetch(const std::string& url, const std::optional<Data>& body = std::nullopt,
                                   const std::string& contentType = {},
                                   std::chrono::milliseconds timeout = defaultTimeout);
};

}  // namespace platform::detail
