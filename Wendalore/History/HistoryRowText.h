#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Wendalore/Model/RequestHistoryItem.h"

namespace wendalore {

// How a history row states the outcome of a send: waiting, a 2xx answer, or
// anything else (no HTTP answer at all included).
enum class RowStatus { pending, success, failure };

RowStatus rowStatus(const RequestHistoryItem& item);

struct TransferredBytes {
  std::int64_t sent = 0;
  std::int64_t received = 0;

  friend bool operator==(const TransferredBytes&, const TransferredBytes&) = default;
};

// Headers and bodies summed over every hop of the send, redirects and
// retries included; none before the metrics are in.
std::optional<TransferredBytes> bytesTransferred(const RequestHistoryItem& item);

// A byte count in units of 1024 up to "TB": "512 B", "1.00 KB", "10.0 KB",
// "100 KB".
std::string formatBytes(std::int64_t count);

// Whole milliseconds, as "235ms".
std::string formatMilliseconds(double seconds);

// The texts of a row's second line before the time: "Pending", or the
// status, the duration and, with metrics, "↑ " bytes sent and "↓ " bytes
// received; the entry's notice follows "Pending" or the status.
std::vector<std::string> rowDetailTexts(const RequestHistoryItem& item);

// The pane's header, as "History (7)".
std::string historyTitle(std::size_t count);

}  // namespace wendalore
