#include "Wendanet/Source/Core/HTTPHeaders.h"

#include <fmt/format.h>

#include <algorithm>
#include <numeric>
#include <unordered_map>
#include <utility>

#include "Platform/Fatal.h"
#include "Platform/Foundation/ASCIICase.h"
#include "Platform/Text/CanonicalText.h"
#include "Wendanet/Source/Core/HTTPHeaderNameCase.h"
#include "Wendanet/Source/Core/HashCombine.h"

namespace wendanet {

namespace {

const HTTPHeader& sameHeader(const HTTPHeader& header) { return header; }

HTTPHeader headerOf(const platform::HTTPHeaderField& field) { return HTTPHeader(field.first, field.second); }

// From this many fields on, a build finds earlier names through a map kept
// for its length: a response head may hold thousands of fields, and a
// search per field would make its build quadratic.
constexpr std::size_t mappedBuildFrom = 32;

}  // namespace

template <typename Fields, typename MakeHeader>
void HTTPHeaders::updateAll(const Fields& fields, MakeHeader makeHeader) {
  if (fields.size() < mappedBuildFrom) {
    for (const auto& field : fields) update(makeHeader(field));
    return;
  }
  std::unordered_map<std::string, std::size_t> positions;
  positions.reserve(fields.size());
  for (const auto& field : fields) {
    HTTPHeader header = makeHeader(field);
    if (!platform::isASCII(header.name())) ++nonASCIINames_;
    const auto [entry, added] = positions.try_emplace(headerNameMatchKey(header.name()), headers_.size());
    if (added) {
      headers_.push_back(std::move(header));
    } else {
      replace(entry->second, std::move(header));
    }
  }
}

HTTPHeaders::HTTPHeaders(std::initializer_list<HTTPHeader> headers) { updateAll(headers, sameHeader); }

HTTPHeaders::HTTPHeaders(const std::vector<HTTPHeader>& headers) { updateAll(headers, sameHeader); }

HTTPHeaders::HTTPHeaders(const platform::HTTPHeaderFields& fields) { updateAll(fields, headerOf); }

std::optional<std::size_t> HTTPHeaders::findIndex(std::string_view name) const {
  return findIndex(name, platform::isASCII(name));
}

std::optional<std::size_t> HTTPHeaders::findIndex(std::string_view name, bool nameIsASCII) const {
  const auto position = [&](auto found) -> std::optional<std::size_t> {
    if (found == headers_.end()) return std::nullopt;
    return static_cast<std::size_t>(found - headers_.begin());
  };
  if (nonASCIINames_ == 0 && nameIsASCII) {
    return position(std::ranges::find_if(
        headers_, [&](const HTTPHeader& header) { return platform::equalsIgnoringASCIICase(header.name(), name); }));
  }
  // The wanted name's key is made once; an ASCII name's key is its ASCII
  // lower-casing, so only names beyond ASCII need theirs made.
  const std::string key = headerNameMatchKey(name);
  const bool keyIsASCII = platform::isASCII(key);
  return position(std::ranges::find_if(headers_, [&](const HTTPHeader& header) {
    if (platform::isASCII(header.name())) return keyIsASCII && platform::equalsIgnoringASCIICase(header.name(), key);
    return headerNameMatchKey(header.name()) == key;
  }));
}

void HTTPHeaders::update(std::string name, std::string value) { update(HTTPHeader(std::move(name), std::move(value))); }

void HTTPHeaders::update(HTTPHeader header) {
  const bool ascii = platform::isASCII(header.name());
  if (!ascii) ++nonASCIINames_;
  if (const auto index = findIndex(header.name(), ascii)) {
    replace(*index, std::move(header));
  } else {
    headers_.push_back(std::move(header));
  }
}

void HTTPHeaders::replace(std::size_t position, HTTPHeader header) {
  if (!platform::isASCII(headers_[position].name())) --nonASCIINames_;
  headers_[position] = std::move(header);
}

void HTTPHeaders::remove(std::string_view name) {
  const auto index = findIndex(name);
  if (!index) return;
  if (!platform::isASCII(headers_[*index].name())) --nonASCIINames_;
  headers_.erase(headers_.begin() + static_cast<std::ptrdiff_t>(*index));
}

std::optional<std::string> HTTPHeaders::findValue(std::string_view name) const {
  const auto index = findIndex(name);
  if (!index) return std::nullopt;
  return headers_[*index].value();
}

void HTTPHeaders::setValue(std::string_view name, std::optional<std::string> value) {
  if (value) {
    update(std::string(name), *std::move(value));
  } else {
    remove(name);
  }
}

void HTTPHeaders::sortByName() {
  // Each name is lower-cased once, not at every comparison, and the
  // entries move once, to their sorted places.
  std::vector<std::string> keys;
  keys.reserve(headers_.size());
  for (const auto& header : headers_) keys.push_back(headerNameSortKey(header.name()));
  std::vector<std::size_t> order(headers_.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  const bool ascii = nonASCIINames_ == 0;
  std::ranges::stable_sort(order, [&](std::size_t left, std::size_t right) {
    return ascii ? keys[left] < keys[right] : platform::canonicallyLess(keys[left], keys[right]);
  });
  std::vector<HTTPHeader> sorted;
  sorted.reserve(headers_.size());
  for (const auto position : order) sorted.push_back(std::move(headers_[position]));
  headers_ = std::move(sorted);
}

HTTPHeaders HTTPHeaders::sortedByName() const {
  HTTPHeaders sorted = *this;
  sorted.sortByName();
  return sorted;
}

platform::HTTPHeaderFields HTTPHeaders::makeDictionary() const {
  platform::HTTPHeaderFields fields;
  fields.reserve(headers_.size());
  for (const auto& header : headers_) fields.emplace_back(header.name(), header.value());
  return fields;
}

std::string HTTPHeaders::makeDescription() const {
  std::string text;
  for (const auto& header : headers_) {
    if (&header != &headers_.front()) text += '\n';
    text += header.makeDescription();
  }
  return text;
}

const HTTPHeader& HTTPHeaders::operator[](std::size_t position) const {
  if (position >= headers_.size()) {
    platform::fatal(fmt::format("HTTPHeaders position {} is out of range 0..<{}", position, headers_.size()));
  }
  return headers_[position];
}

HTTPHeaders getHeaders(const platform::URLRequest& request) {
  const auto& fields = request.allHTTPHeaderFields();
  return fields ? HTTPHeaders(*fields) : HTTPHeaders();
}

void setHeaders(platform::URLRequest& request, const HTTPHeaders& headers) {
  request.setAllHTTPHeaderFields(headers.makeDictionary());
}

HTTPHeaders getHeaders(const platform::URLSessionConfiguration& configuration) {
  const auto& fields = configuration.httpAdditionalHeaders();
  return fields ? HTTPHeaders(*fields) : HTTPHeaders();
}

void setHeaders(platform::URLSessionConfiguration& configuration, const HTTPHeaders& headers) {
  configuration.setHTTPAdditionalHeaders(headers.makeDictionary());
}

HTTPHeaders getHeaders(const platform::HTTPURLResponse& response) { return HTTPHeaders(response.allHeaderFields()); }

}  // namespace wendanet

std::size_t std::hash<wendanet::HTTPHeaders>::operator()(const wendanet::HTTPHeaders& headers) const {
  std::size_t seed = 0;
  wendanet::hashCombine(seed, headers.size());
  for (const auto& header : headers) {
    wendanet::hashCombine(seed, header.name());
    wendanet::hashCombine(seed, header.value());
  }
  return seed;
}
