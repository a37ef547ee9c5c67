#pragma once

#include <cstddef>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Platform/Foundation/HTTPHeaderFields.h"
#include "Platform/Foundation/HTTPURLResponse.h"
#include "Platform/Foundation/URLRequest.h"
#include "Platform/URLLoading/URLSessionConfiguration.h"
#include "Wendanet/Source/Core/HTTPHeader.h"

namespace wendanet {

// An ordered set of header fields whose names are unique without regard to
// letter case. Every change goes through `update` or `remove`: adding a
// field whose name is already there replaces that entry in its place.
class HTTPHeaders {
 public:
  using const_iterator = std::vector<HTTPHeader>::const_iterator;

  HTTPHeaders() = default;
  HTTPHeaders(std::initializer_list<HTTPHeader> headers);
  explicit HTTPHeaders(const std::vector<HTTPHeader>& headers);
  explicit HTTPHeaders(const platform::HTTPHeaderFields& fields);

  // Names are compared in any letter case, Unicode's and not only ASCII's.
  std::optional<std::size_t> findIndex(std::string_view name) const;
  void update(std::string name, std::string value);
  void update(HTTPHeader header);
  void remove(std::string_view name);
  std::optional<std::string> findValue(std::string_view name) const;
  // A value updates the field; absent removes it.
  void setValue(std::string_view name, std::optional<std::string> value);

  // Ascending by lower-cased name, in the platform's order of text;
  // entries that tie keep their order.
  void sortByName();
  HTTPHeaders sortedByName() const;

  // Name and value pairs in list order.
  platform::HTTPHeaderFields makeDictionary() const;
  // One "name: value" line per entry, without a final line feed.
  std::string makeDescription() const;

  // Defaults sent with every request of the default session:
  // Accept-Encoding, Accept-Language and User-Agent.
  static const HTTPHeaders& defaultHeaders();

  const_iterator begin() const { return headers_.begin(); }
  const_iterator end() const { return headers_.end(); }
  std::size_t size() const { return headers_.size(); }
  bool empty() const { return headers_.empty(); }
  // A position past the end is a caller's error that stops the process.
  const HTTPHeader& operator[](std::size_t position) const;

  friend bool operator==(const HTTPHeaders&, const HTTPHeaders&) = default;

 private:
  std::optional<std::size_t> findIndex(std::string_view name, bool nameIsASCII) const;
  void replace(std::size_t position, HTTPHeader header);
  // Into an empty list, as updates one after another.
  template <typename Fields, typename MakeHeader>
  void updateAll(const Fields& fields, MakeHeader makeHeader);

  std::vector<HTTPHeader> headers_;
  // While no name has a byte beyond ASCII, names are matched and sorted
  // with the ASCII mapping alone, as fast as bytes compare.
  std::size_t nonASCIINames_ = 0;
};

// The header fields of platform values as HTTPHeaders.
HTTPHeaders getHeaders(const platform::URLRequest& request);
// Replaces every header field of the request.
void setHeaders(platform::URLRequest& request, const HTTPHeaders& headers);
HTTPHeaders getHeaders(const platform::HTTPURLResponse& response);
// Absent additional headers give no headers.
HTTPHeaders getHeaders(const platform::URLSessionConfiguration& configuration);
// Replaces the configuration's additional headers.
void setHeaders(platform::URLSessionConfiguration& configuration, const HTTPHeaders& headers);

}  // namespace wendanet

template <>
struct std::hash<wendanet::HTTPHeaders> {
  std::size_t operator()(const wendanet::HTTPHeaders& headers) const;
};
