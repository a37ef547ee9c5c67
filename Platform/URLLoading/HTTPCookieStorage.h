#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "Platform/Foundation/URL.h"
#include "Platform/URLLoading/HTTPCookie.h"

namespace platform {

// Cookies kept for URLs. The process-wide storage is what the default configuration uses; an ephemeral configuration
// gets one of its own. Any thread may use a storage.
//
// A cookie replaces the one of the same name, domain and path. Expired
// cookies are dropped. A domain keeps at most `maximumCookiesPerDomain`
// cookies and the storage `maximumCookies`, the oldest going first, so no
// server can make it grow without bound.
class HTTPCookieStorage {
 public:
  static constexpr std::size_t maximumCookiesPerDomain = 50;
  static constexpr std::size_t maximumCookies = 3000;

  static std::shared_ptr<HTTPCookieStorage> make() { return std::make_shared<HTTPCookieStorage>(); }
  static const std::shared_ptr<HTTPCookieStorage>& shared();

  // Every cookie not yet expired, oldest first.
  std::vector<HTTPCookie> cookies() const;
  // The cookies that go with a request for `url`: longer paths first, then
  // oldest first. Absent for a URL without a host or with a scheme other
  // than http and https.
  std::optional<std::vector<HTTPCookie>> cookies(const URL& url) const;
  // An expired cookie removes the one it would replace.
  void setCookie(const HTTPCookie& cookie);
  void deleteCookie(const HTTPCookie& cookie);

 private:
  struct Entry {
    HTTPCookie cookie;
    // Order of creation; a replaced cookie keeps its place.
    std::uint64_t created;
  };

  void removeExpiredLocked(Date now);
  void evictOldestLocked(const std::string* domain);

  mutable std::mutex mutex_;
  std::vector<Entry> entries_;
  std::uint64_t nextCreated_ = 0;
};

}  // namespace platform
