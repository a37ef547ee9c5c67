#include "Wendalore/History/RowsAsSent.h"

#include <optional>
#include <string>

#include "Platform/Foundation/ASCIICase.h"

namespace wendalore {

HeaderDictionary rowsAsSent(const RequestHistoryItem& item) {
  HeaderDictionary rows;
  for (const auto& [name, value] : item.requestHeaders()) {
    if (platform::equalsIgnoringASCIICase(name, "Content-Type") && item.suppliedContentType()) {
      rows.emplace("Content-Type", *item.suppliedContentType());
    } else if (platform::equalsIgnoringASCIICase(name, "Content-Length")) {
      if (const auto length = item.sentContentLength()) rows.emplace("Content-Length", std::to_string(*length));
    } else {
      rows.emplace(name, value);
    }
  }
  return rows;
}

}  // namespace wendalore
