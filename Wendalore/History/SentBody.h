#pragma once

#include <string>

#include "Wendalore/Model/RequestHistoryItem.h"

namespace wendalore {

// The body text as it went on the wire, or null when the request carried
// none or carried a form in its place: the cURL and raw-request texts show
// only what was sent.
inline const std::string* sentBody(const RequestHistoryItem& item) {
  if (!item.bodyWasSent() || item.sentForm() || !item.requestBody() || item.requestBody()->empty()) return nullptr;
  return &*item.requestBody();
}

// The recorded headers as they went out: the Content-Type the send supplied
// (with a body or without, as a raw text with GET) takes the place of a
// row's of any letter case.
HeaderDictionary sentHeaders(const RequestHistoryItem& item);

}  // namespace wendalore
