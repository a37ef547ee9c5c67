#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <utility>

namespace wendanet {

// An HTTP method token, sent as it is: any text is accepted unchanged and
// compared case-sensitively ("get" is not GET).
class HTTPMethod {
 public:
  explicit HTTPMethod(std::string rawValue) : rawValue_(std::move(rawValue)) {}

  static HTTPMethod connect() { return HTTPMethod("CONNECT"); }
  // Named with a trailing underscore: `delete` is a C++ keyword.
  static HTTPMethod delete_() { return HTTPMethod("DELETE"); }
  static HTTPMethod get() { return HTTPMethod("GET"); }
  static HTTPMethod head() { return HTTPMethod("HEAD"); }
  static HTTPMethod options() { return HTTPMethod("OPTIONS"); }
  static HTTPMethod patch() { return HTTPMethod("PATCH"); }
  static HTTPMethod post() { return HTTPMethod("POST"); }
  static HTTPMethod put() { return HTTPMethod("PUT"); }
  static HTTPMethod query() { return HTTPMethod("QUERY"); }
  static HTTPMethod trace() { return HTTPMethod("TRACE"); }

  const std::string& rawValue() const { return rawValue_; }

  friend bool operator==(const HTTPMethod&, const HTTPMethod&) = default;

 private:
  std::string rawValue_;
};

}  // namespace wendanet

template <>
struct std::hash<wendanet::HTTPMethod> {
  std::size_t operator()(const wendanet::HTTPMethod& method) const {
    return std::hash<std::string>{}(method.rawValue());
  }
};
