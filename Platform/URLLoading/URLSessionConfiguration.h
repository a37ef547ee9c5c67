#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "Platform/Foundation/HTTPHeaderFields.h"
#include "Platform/URLLoading/HTTPCookieStorage.h"
#include "Platform/URLLoading/URLCache.h"
#include "Platform/URLLoading/URLCredentialStorage.h"

namespace platform {

// The rules a URL session loads by. A session takes a copy when it is made,
// so changing a configuration afterwards changes no existing session.
class URLSessionConfiguration {
 public:
  static constexpr double defaultTimeoutIntervalForRequest = 60;
  static constexpr double defaultTimeoutIntervalForResource = 7 * 24 * 60 * 60;
  static constexpr int defaultHTTPMaximumConnectionsPerHost = 6;
  static constexpr std::int64_t defaultMaximumBodySizeInMemory = 256 * 1024 * 1024;

  // Every call makes a new object. The default configuration uses the
  // process-wide credential storage, cookie storage and cache; the ephemeral
  // one gets private ones that live only as long as it does.
  static std::shared_ptr<URLSessionConfiguration> defaultConfiguration();
  static std::shared_ptr<URLSessionConfiguration> ephemeralConfiguration();
  // A default configuration carrying an identifier. Sessions made from it
  // load in the foreground like any other; callers that cannot use
  // background loading tell it by the identifier.
  static std::shared_ptr<URLSessionConfiguration> backgroundConfiguration(std::string identifier);

  std::shared_ptr<URLSessionConfiguration> copy() const;

  const std::optional<std::string>& identifier() const { return identifier_; }

  // Sent with every request, under the request's own fields: a request
  // field of the same name (in any letter case) wins. Never written into
  // the request itself.
  const std::optional<HTTPHeaderFields>& httpAdditionalHeaders() const { return httpAdditionalHeaders_; }
  void setHTTPAdditionalHeaders(std::optional<HTTPHeaderFields> fields) { httpAdditionalHeaders_ = std::move(fields); }

  bool httpShouldSetCookies() const { return httpShouldSetCookies_; }
  void setHTTPShouldSetCookies(bool value) { httpShouldSetCookies_ = value; }
  const std::shared_ptr<HTTPCookieStorage>& httpCookieStorage() const { return httpCookieStorage_; }
  void setHTTPCookieStorage(std::shared_ptr<HTTPCookieStorage> storage) { httpCookieStorage_ = std::move(storage); }
  const std::shared_ptr<URLCredentialStorage>& urlCredentialStorage() const { return urlCredentialStorage_; }
  void setURLCredentialStorage(std::shared_ptr<URLCredentialStorage> storage) {
    urlCredentialStorage_ = std::move(storage);
  }
  const std::shared_ptr<URLCache>& urlCache() const { return urlCache_; }
  void setURLCache(std::shared_ptr<URLCache> cache) { urlCache_ = std::move(cache); }

  // Seconds a task may wait for more data. A request whose own time-out is
  // not the default one keeps its own.
  double timeoutIntervalForRequest() const { return timeoutIntervalForRequest_; }
  void setTimeoutIntervalForRequest(double seconds) { timeoutIntervalForRequest_ = seconds; }
  // Seconds a task may take as a whole, from its first resume.
  double timeoutIntervalForResource() const { return timeoutIntervalForResource_; }
  void setTimeoutIntervalForResource(double seconds) { timeoutIntervalForResource_ = seconds; }

  int httpMaximumConnectionsPerHost() const { return httpMaximumConnectionsPerHost_; }
  void setHTTPMaximumConnectionsPerHost(int count) { httpMaximumConnectionsPerHost_ = count; }

  // Bytes of decoded response body a task held in memory may take; past it
  // the task fails. It also bounds a WebSocket message when the task sets
  // no limit of its own. Bodies written to a file are not counted.
  std::int64_t maximumBodySizeInMemory() const { return maximumBodySizeInMemory_; }
  void setMaximumBodySizeInMemory(std::int64_t bytes) { maximumBodySizeInMemory_ = bytes; }

  // The idle time-out a request is loaded with: its own, unless it carries
  // the default, in which case this configuration's.
  double effectiveTimeoutInterval(double requestTimeoutInterval) const;

 private:
  std::optional<std::string> identifier_;
  std::optional<HTTPHeaderFields> httpAdditionalHeaders_;
  bool httpShouldSetCookies_ = true;
  std::shared_ptr<HTTPCookieStorage> httpCookieStorage_ = HTTPCookieStorage::shared();
  std::shared_ptr<URLCredentialStorage> urlCredentialStorage_ = URLCredentialStorage::shared();
  std::shared_ptr<URLCache> urlCache_ = URLCache::shared();
  double timeoutIntervalForRequest_ = defaultTimeoutIntervalForRequest;
  double timeoutIntervalForResource_ = defaultTimeoutIntervalForResource;
  int httpMaximumConnectionsPerHost_ = defaultHTTPMaximumConnectionsPerHost;
  std::int64_t maximumBodySizeInMemory_ = defaultMaximumBodySizeInMemory;
};

}  // namespace platform
