#include "Platform/URLLoading/Engine/HopTimings.h"

#include <curl/curl.h>

#include <algorithm>

namespace platform {

void applyHopTimings(const HopTimings& timings, URLSessionTaskTransactionMetrics& transaction) {
  transaction.fetchStartDate = timings.fetchStart;
  if (!timings.handedOver) return;
  const Date handedOver = *timings.handedOver;
  const auto at = [&](std::int64_t microseconds) -> std::optional<Date> {
    if (microseconds <= 0) return std::nullopt;
    return handedOver.addingTimeInterval(static_cast<double>(microseconds) / 1e6);
  };
  if (timings.newConnection) {
    if (timings.hostIsAddress) {
      transaction.connectStartDate = handedOver;
    } else {
      transaction.domainLookupStartDate = handedOver;
      transaction.domainLookupEndDate = at(timings.nameLookup);
      transaction.connectStartDate = transaction.domainLookupEndDate;
    }
    if (timings.secure && timings.connect > 0) {
      transaction.secureConnectionStartDate = at(timings.connect);
      transaction.secureConnectionEndDate = at(timings.secureConnect);
    }
    transaction.connectEndDate = at(timings.secure ? timings.secureConnect : timings.connect);
  }
  transaction.requestStartDate = at(timings.preTransfer);
  if (transaction.requestStartDate && timings.requestEnd) {
    transaction.requestEndDate = std::max(*transaction.requestStartDate, *timings.requestEnd);
  }
  if (timings.responseStart) {
    transaction.responseStartDate =
        transaction.requestStartDate ? std::max(*transaction.requestStartDate, *timings.responseStart)
                                     : *timings.responseStart;
  }
  if (transaction.responseStartDate && timings.responseComplete) {
    const auto end = at(timings.total).value_or(*transaction.responseStartDate);
    transaction.responseEndDate = std::max(*transaction.responseStartDate, end);
  }
}

std::optional<std::string> networkProtocolName(long httpVersion) {
  switch (httpVersion) {
    case CURL_HTTP_VERSION_1_0: return "http/1.0";
    case CURL_HTTP_VERSION_1_1: return "http/1.1";
    case CURL_HTTP_VERSION_2_0: return "h2";
    case CURL_HTTP_VERSION_3: return "h3";
    default: return std::nullopt;
  }
}

}  // namespace platform
