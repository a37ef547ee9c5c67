#include "Platform/URLLoading/Engine/CacheRevalidation.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "Platform/Foundation/ASCIICase.h"
#include "Platform/URLLoading/Engine/CacheRules.h"
#include "Platform/URLLoading/Engine/RequestHeaderLines.h"

namespace platform {

namespace {

constexpr std::array<std::string_view, 5> conditionFieldNames{"If-None-Match", "If-Modified-Since", "If-Match",
                                                               "If-Unmodified-Since", "If-Range"};

// The stored body is decoded and counted already, and the connection the
// 304 came on says nothing about it.
constexpr std::array<std::string_view, 9> keptStoredFieldNames{
    "Content-Length", "Content-Encoding", "Transfer-Encoding", "Connection", "Keep-Alive",
    "Proxy-Connection", "TE",             "Trailer",           "Upgrade"};

template <std::size_t count>
bool isOneOf(std::string_view name, const std::array<std::string_view, count>& names) {
  return std::ranges::any_of(names, [&](std::string_view listed) { return equalsIgnoringASCIICase(name, listed); });
}

// Whether two entity tags name the same representation when weak ones may
// stand in for strong ones, as they do for If-None-Match.
bool sameEntityTag(std::string_view first, std::string_view second) {
  const auto opaque = [](std::string_view tag) { return tag.starts_with("W/") ? tag.substr(2) : tag; };
  return opaque(first) == opaque(second);
}

// A stored validator as a condition can carry it.
std::optional<std::string> sendableValidator(const HTTPURLResponse& stored, std::string_view name) {
  auto value = stored.valueForHTTPHeaderField(name);
  if (value && holdsControlCharacter(*value)) return std::nullopt;
  return value;
}

}  // namespace

bool statesOwnConditions(const URLRequest& request) {
  return std::ranges::any_of(conditionFieldNames,
                             [&](std::string_view name) { return request.valueForHTTPHeaderField(name).has_value(); });
}

bool hasValidators(const HTTPURLResponse& stored) {
  return sendableValidator(stored, "ETag") || sendableValidator(stored, "Last-Modified");
}

HTTPHeaderFields revalidationFields(const URLRequest& request, const HTTPURLResponse& stored) {
  HTTPHeaderFields fields;
  if (statesOwnConditions(request)) return fields;
  if (auto tag = sendableValidator(stored, "ETag")) fields.emplace_back("If-None-Match", std::move(*tag));
  if (auto date = sendableValidator(stored, "Last-Modified")) {
    fields.emplace_back("If-Modified-Since", std::move(*date));
  }
  return fields;
}

bool confirms(const HTTPURLResponse& notModified, const HTTPURLResponse& stored, const HTTPHeaderFields& sent) {
  const auto storedTag = stored.valueForHTTPHeaderField("ETag");
  if (const auto tag = notModified.valueForHTTPHeaderField("ETag")) return storedTag && sameEntityTag(*storedTag, *tag);
  const auto storedDate = stored.valueForHTTPHeaderField("Last-Modified");
  if (const auto date = notModified.valueForHTTPHeaderField("Last-Modified")) return storedDate && *storedDate == *date;
  if (const auto tags = valueOfHeaderField(sent, "If-None-Match")) {
    return storedTag && std::ranges::any_of(fieldListItems(*tags),
                                            [&](std::string_view tag) { return sameEntityTag(tag, *storedTag); });
  }
  const auto since = valueOfHeaderField(sent, "If-Modified-Since");
  return since && storedDate && *since == *storedDate;
}

std::shared_ptr<HTTPURLResponse> updatedByNotModified(const HTTPURLResponse& stored,
                                                      const HTTPURLResponse& notModified) {
  auto fields = stored.allHeaderFields();
  for (const auto& field : notModified.allHeaderFields()) {
    if (isOneOf(field.first, keptStoredFieldNames)) continue;
    if (const auto index = indexOfHeaderField(fields, field.first)) {
      fields[*index].second = field.second;
    } else {
      fields.push_back(field);
    }
  }
  return std::make_shared<HTTPURLResponse>(stored.url(), stored.statusCode(), std::move(fields));
}

std::optional<Renewal> renewalBy(std::shared_ptr<const HTTPURLResponse> notModified,
                                 const CachedURLResponse& stored, HTTPHeaderFields sent) {
  const auto* storedResponse = dynamic_cast<const HTTPURLResponse*>(stored.response().get());
  if (notModified->statusCode() != 304 || !storedResponse || !confirms(*notModified, *storedResponse, sent)) {
    return std::nullopt;
  }
  auto response = CachedURLResponse::make(updatedByNotModified(*storedResponse, *notModified), stored.data(),
                                          stored.storagePolicy());
  auto renews = [notModified = std::move(notModified), sent = std::move(sent)](const CachedURLResponse& current) {
    const auto* currentResponse = dynamic_cast<const HTTPURLResponse*>(current.response().get());
    return currentResponse && confirms(*notModified, *currentResponse, sent);
  };
  return Renewal{std::move(response), std::move(renews)};
}

}  // namespace platform
