#include "Wendalore/History/SentBody.h"

#include "Platform/Foundation/ASCIICase.h"

namespace wendalore {

HeaderDictionary sentHeaders(const RequestHistoryItem& item) {
  HeaderDictionary headers = item.requestHeaders();
  const auto& supplied = item.suppliedContentType();
  if (!supplied) return headers;
  std::erase_if(headers, [](const auto& header) { return platform::equalsIgnoringASCIICase(header.first, "Content-Type"); });
  headers.emplace("Content-Type", *supplied);
  return headers;
}

}  // namespace wendalore
