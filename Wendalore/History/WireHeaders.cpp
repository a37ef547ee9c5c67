#include "Wendalore/History/WireHeaders.h"

#include "Wendalore/ViewModel/OutgoingRequest.h"

namespace wendalore {

std::optional<HeaderDictionary> wireHeaders(const RequestHistoryItem& item) {
  if (!item.metrics()) return std::nullopt;
  // The first hop that went out is the one to the entry's URL; later ones
  // follow redirects.
  for (const auto& transaction : item.metrics()->transactionMetrics) {
    if (transaction.sentHeaderFields) return headerDictionary(*transaction.sentHeaderFields);
  }
  return std::nullopt;
}

}  // namespace wendalore
