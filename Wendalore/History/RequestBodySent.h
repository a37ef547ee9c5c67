#pragma once

#include "Wendalore/Model/RequestHistoryItem.h"

namespace wendalore {

// Whether the request body went on the wire. Until the record states it, a
// body counts as sent with the methods that carry the raw and JSON bodies;
// a form body sent with another method is then not shown.
inline bool requestBodyWasSent(const RequestHistoryItem& item) {
  if (!item.requestBody() || item.requestBody()->empty()) return false;
  const auto& method = item.method();
  return method == "POST" || method == "PUT" || method == "PATCH";
}

}  // namespace wendalore
