#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "Platform/Foundation/Date.h"
#include "Platform/Foundation/URLRequest.h"
#include "Platform/Foundation/URLResponse.h"

namespace platform {

// What happened on the wire for one request-response exchange of a task:
// a task that is redirected or retried has one transaction per hop. Phases
// that did not take place have no dates; a transaction on a reused
// connection has no lookup, connect or secure-connection dates.
struct URLSessionTaskTransactionMetrics {
  // The platform's raw values.
  enum class ResourceFetchType : int { unknown = 0, networkLoad = 1, serverPush = 2, localCache = 3 };

  URLRequest request;
  std::shared_ptr<URLResponse> response;

  std::optional<Date> fetchStartDate;
  std::optional<Date> domainLookupStartDate;
  std::optional<Date> domainLookupEndDate;
  std::optional<Date> connectStartDate;
  std::optional<Date> secureConnectionStartDate;
  std::optional<Date> secureConnectionEndDate;
  std::optional<Date> connectEndDate;
  std::optional<Date> requestStartDate;
  std::optional<Date> requestEndDate;
  std::optional<Date> responseStartDate;
  std::optional<Date> responseEndDate;

  // "http/1.0", "http/1.1", "h2" or "h3"; absent when no response came.
  std::optional<std::string> networkProtocolName;
  bool isProxyConnection = false;
  bool isReusedConnection = false;
  ResourceFetchType resourceFetchType = ResourceFetchType::unknown;

  std::int64_t countOfRequestHeaderBytesSent = 0;
  std::int64_t countOfRequestBodyBytesSent = 0;
  std::int64_t countOfRequestBodyBytesBeforeEncoding = 0;
  std::int64_t countOfResponseHeaderBytesReceived = 0;
  // As they came over the wire, before any content decoding.
  std::int64_t countOfResponseBodyBytesReceived = 0;
  std::int64_t countOfResponseBodyBytesAfterDecoding = 0;
};

}  // namespace platform
