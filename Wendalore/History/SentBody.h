#pragma once

#include <string>

#include "Wendalore/Model/RequestHistoryItem.h"

namespace wendalore {

// The body text as it went on the wire, or null when the request carried
// none: the cURL and raw-request texts show only what was sent.
inline const std::string* sentBody(const RequestHistoryItem& item) {
  if (!item.bodyWasSent() || !item.requestBody() || item.requestBody()->empty()) return nullptr;
  return &*item.requestBody();
}

}  // namespace wendalore
