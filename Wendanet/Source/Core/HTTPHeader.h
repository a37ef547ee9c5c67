#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace wendanet {

// One header field: a name and a value, kept exactly as given.
class HTTPHeader {
 public:
  HTTPHeader(std::string name, std::string value) : name_(std::move(name)), value_(std::move(value)) {}

  const std::string& name() const { return name_; }
  const std::string& value() const { return value_; }

  // "name: value"
  std::string makeDescription() const;

  static HTTPHeader accept(std::string value) { return {"Accept", std::move(value)}; }
  static HTTPHeader acceptCharset(std::string value) { return {"Accept-Charset", std::move(value)}; }
  static HTTPHeader acceptLanguage(std::string value) { return {"Accept-Language", std::move(value)}; }
  static HTTPHeader acceptEncoding(std::string value) { return {"Accept-Encoding", std::move(value)}; }
  static HTTPHeader authorization(std::string value) { return {"Authorization", std::move(value)}; }
  // "Basic " and the Base64 of "username:password"; nothing is checked or
  // escaped.
  static HTTPHeader basicAuthorization(std::string_view username, std::string_view password);
  static HTTPHeader bearerAuthorization(std::string_view bearerToken);
  static HTTPHeader contentDisposition(std::string value) { return {"Content-Disposition", std::move(value)}; }
  static HTTPHeader contentEncoding(std::string value) { return {"Content-Encoding", std::move(value)}; }
  static HTTPHeader contentType(std::string value) { return {"Content-Type", std::move(value)}; }
  static HTTPHeader userAgent(std::string value) { return {"User-Agent", std::move(value)}; }
  static HTTPHeader webSocketProtocol(std::string value) { return {"Sec-WebSocket-Protocol", std::move(value)}; }

  // The library's defaults, each worked out once per process on first use.
  static const HTTPHeader& defaultAcceptEncoding();
  static const HTTPHeader& defaultAcceptLanguage();
  static const HTTPHeader& defaultUserAgent();

  // "a;q=1.0, b;q=0.9, …": the quality falls by 0.1 per position.
  static std::string joinWithQualityValues(const std::vector<std::string>& items);
  // The running system as the User-Agent names it, e.g. "Linux 6.1.0".
  static const std::string& operatingSystemVersionText();

  friend bool operator==(const HTTPHeader&, const HTTPHeader&) = default;

 private:
  std::string name_;
  std::string value_;
};

}  // namespace wendanet

template <>
struct std::hash<wendanet::HTTPHeader> {
  std::size_t operator()(const wendanet::HTTPHeader& header) const;
};
