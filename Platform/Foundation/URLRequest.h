#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "Platform/Foundation/Data.h"
#include "Platform/Foundation/HTTPHeaderFields.h"
#include "Platform/Foundation/URL.h"

namespace platform {

class InputStream;

// What to load and how: URL, method, header fields, body and the loading
// rules. A plain value; absent and empty stay apart for every part.
class URLRequest {
 public:
  // How a stored response may answer the request, with the platform's raw
  // values.
  enum class CachePolicy : unsigned {
    useProtocolCachePolicy = 0,
    reloadIgnoringLocalCacheData = 1,
    returnCacheDataElseLoad = 2,
    returnCacheDataDontLoad = 3,
    reloadIgnoringLocalAndRemoteCacheData = 4,
    reloadRevalidatingCacheData = 5,
  };
  static constexpr double defaultTimeoutInterval = 60.0;

  URLRequest() = default;
  explicit URLRequest(std::optional<URL> url, CachePolicy cachePolicy = CachePolicy::useProtocolCachePolicy,
                      double timeoutInterval = defaultTimeoutInterval)
      : url_(std::move(url)), cachePolicy_(cachePolicy), timeoutInterval_(timeoutInterval) {}

  const std::optional<URL>& url() const { return url_; }
  void setURL(std::optional<URL> url) { url_ = std::move(url); }

  // "GET" until set, as the platform's requests start; absent only when a
  // caller cleared it, and whoever sends the request treats that as "GET".
  const std::optional<std::string>& httpMethod() const { return httpMethod_; }
  void setHTTPMethod(std::optional<std::string> method) { httpMethod_ = std::move(method); }

  // Absent until a field is set; empty once every field was removed or an
  // empty list was set.
  const std::optional<HTTPHeaderFields>& allHTTPHeaderFields() const { return headerFields_; }
  // Fields whose names differ only in letter case merge into the first one's
  // place, with the later name and value.
  void setAllHTTPHeaderFields(std::optional<HTTPHeaderFields> fields);
  std::optional<std::string> valueForHTTPHeaderField(std::string_view name) const;
  // Replaces the field of that name in place (taking the new spelling of the
  // name) or appends it; an absent value removes it.
  void setValueForHTTPHeaderField(std::optional<std::string> value, std::string_view name);
  // Appends the value to the field's value after a "," (the name keeps its
  // first spelling), or sets the field.
  void addValueForHTTPHeaderField(std::string_view value, std::string_view name);

  // A body given as bytes and a body given as a stream exclude each other:
  // setting one clears the other.
  const std::optional<Data>& httpBody() const { return httpBody_; }
  void setHTTPBody(std::optional<Data> body);
  const std::shared_ptr<InputStream>& httpBodyStream() const { return httpBodyStream_; }
  void setHTTPBodyStream(std::shared_ptr<InputStream> stream);

  CachePolicy cachePolicy() const { return cachePolicy_; }
  void setCachePolicy(CachePolicy policy) { cachePolicy_ = policy; }
  double timeoutInterval() const { return timeoutInterval_; }
  void setTimeoutInterval(double seconds) { timeoutInterval_ = seconds; }

  // The URL's text, or "(no URL)".
  std::string description() const;

  // Streams compare by identity.
  friend bool operator==(const URLRequest&, const URLRequest&) = default;

 private:
  std::optional<URL> url_;
  std::optional<std::string> httpMethod_ = "GET";
  std::optional<HTTPHeaderFields> headerFields_;
  std::optional<Data> httpBody_;
  std::shared_ptr<InputStream> httpBodyStream_;
  CachePolicy cachePolicy_ = CachePolicy::useProtocolCachePolicy;
  double timeoutInterval_ = defaultTimeoutInterval;
};

}  // namespace platform
