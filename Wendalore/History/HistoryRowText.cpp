#include "Wendalore/History/HistoryRowText.h"

#include <fmt/format.h>

#include <array>
#include <string_view>

namespace wendalore {

RowStatus rowStatus(const RequestHistoryItem& item) {
  if (item.isPending()) return RowStatus::pending;
  if (item.error()) return RowStatus::failure;
  return item.statusCode() >= 200 && item.statusCode() <= 299 ? RowStatus::success : RowStatus::failure;
}

std::optional<TransferredBytes> bytesTransferred(const RequestHistoryItem& item) {
  const auto& metrics = item.metrics();
  if (!metrics) return std::nullopt;
  TransferredBytes bytes;
  for (const auto& transaction : metrics->transactionMetrics) {
    bytes.sent += transaction.countOfRequestHeaderBytesSent + transaction.countOfRequestBodyBytesSent;
    bytes.received += transaction.countOfResponseHeaderBytesReceived + transaction.countOfResponseBodyBytesReceived;
  }
  return bytes;
}

std::string formatBytes(std::int64_t count) {
  if (count < 1) return "0 B";
  constexpr std::array<std::string_view, 5> units{"B", "KB", "MB", "GB", "TB"};
  // The unit is found in integers: a logarithm in floating point lands just
  // under a whole number at exact powers of 1024.
  std::size_t unit = 0;
  while (unit + 1 < units.size() && count >> (10 * (unit + 1)) != 0) ++unit;
  if (unit == 0) return fmt::format("{} B", count);
  const double value = static_cast<double>(count) / static_cast<double>(std::int64_t{1} << (10 * unit));
  if (value >= 100) return fmt::format("{:.0f} {}", value, units[unit]);
  if (value >= 10) return fmt::format("{:.1f} {}", value, units[unit]);
  return fmt::format("{:.2f} {}", value, units[unit]);
}

std::string formatMilliseconds(double seconds) { return fmt::format("{:.0f}ms", seconds * 1000); }

std::vector<std::string> rowDetailTexts(const RequestHistoryItem& item) {
  std::vector<std::string> texts{item.isPending() ? "Pending" : std::to_string(item.statusCode())};
  // A status that arrived before the send failed must not read as its
  // outcome; a send with no status at all shows its reason in its row.
  if (!item.isPending() && item.error() && item.statusCode() != 0) texts.push_back("Failed");
  // Before the numbers, which a narrow row drops first.
  if (item.notice()) texts.push_back(*item.notice());
  if (item.isPending()) return texts;
  texts.push_back(formatMilliseconds(item.duration()));
  if (const auto bytes = bytesTransferred(item)) {
    texts.push_back("\u2191 " + formatBytes(bytes->sent));
    texts.push_back("\u2193 " + formatBytes(bytes->received));
  }
  return texts;
}

std::string historyTitle(std::size_t count) { return fmt::format("History ({})", count); }

}  // namespace wendalore
