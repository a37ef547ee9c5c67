#include "Wendalore/History/Waterfall.h"

#include <fmt/format.h>

#include <optional>

namespace wendalore {

using platform::Date;

Waterfall waterfall(const platform::URLSessionTaskTransactionMetrics& transaction, Date now) {
  const Date base = transaction.fetchStartDate.value_or(now);
  const double total = transaction.responseEndDate.value_or(now).timeIntervalSince(base);
  Waterfall result;
  result.scale = total > 0 ? total : 1;
  const auto add = [&](const char* title, PhaseColor color, Date start, Date end) {
    result.phases.push_back({title, color, start.timeIntervalSince(base), end.timeIntervalSince(start)});
  };
  const auto addBoth = [&](const char* title, PhaseColor color, const std::optional<Date>& start,
                           const std::optional<Date>& end) {
    if (start && end) add(title, color, *start, *end);
  };

  const Date queued = transaction.domainLookupStartDate
                          .or_else([&] { return transaction.connectStartDate; })
                          .or_else([&] { return transaction.requestStartDate; })
                          .value_or(base);
  if (queued > base) add("Queueing", PhaseColor::queueing, base, queued);
  addBoth("DNS Lookup", PhaseColor::purple, transaction.domainLookupStartDate, transaction.domainLookupEndDate);
  addBoth("TCP Connect", PhaseColor::yellow, transaction.connectStartDate, transaction.connectEndDate);
  addBoth("TLS Handshake", PhaseColor::indigo, transaction.secureConnectionStartDate,
          transaction.secureConnectionEndDate);
  addBoth("Sending", PhaseColor::orange, transaction.requestStartDate, transaction.requestEndDate);
  if (transaction.requestEndDate && transaction.responseStartDate &&
      transaction.responseStartDate->timeIntervalSince(*transaction.requestEndDate) > 0.001) {
    add("Waiting", PhaseColor::cyan, *transaction.requestEndDate, *transaction.responseStartDate);
  }
  addBoth("Receiving", PhaseColor::blue, transaction.responseStartDate, transaction.responseEndDate);
  return result;
}

BarGeometry barGeometry(const WaterfallPhase& phase, double scale, double width) {
  const double barWidth = phase.length / scale * width;
  return {phase.offset / scale * width, barWidth <= 2 ? 2 : barWidth};
}

std::string formatSeconds(double seconds) { return fmt::format("{:.3f}s", seconds); }

std::vector<MetricRow> overviewRows(double duration, std::string timestamp,
                                    const platform::URLSessionTaskMetrics* metrics) {
  std::vector<MetricRow> rows{{"Total Duration", formatSeconds(duration)}, {"Timestamp", std::move(timestamp)}};
  if (metrics && !metrics->transactionMetrics.empty()) {
    const auto& last = metrics->transactionMetrics.back();
    rows.push_back({"Protocol", last.networkProtocolName.value_or("Unknown")});
    rows.push_back({"Reused Connection", last.isReusedConnection ? "Yes" : "No"});
  }
  return rows;
}

}  // namespace wendalore
