#pragma once

#include <string>
#include <vector>

#include "Platform/Foundation/Date.h"
#include "Platform/URLLoading/URLSessionTaskMetrics.h"

namespace wendalore {

// The standard colours the phases are drawn in; "queueing" is a half
// transparent grey.
enum class PhaseColor { queueing, purple, yellow, indigo, orange, cyan, blue };

// One phase of a transaction, in seconds from the start of the fetch.
struct WaterfallPhase {
  std::string title;
  PhaseColor color;
  double offset = 0;
  double length = 0;

  friend bool operator==(const WaterfallPhase&, const WaterfallPhase&) = default;
};

struct Waterfall {
  // Seconds the whole track stands for: fetch start to response end, or 1
  // when that is not a positive span.
  double scale = 1;
  std::vector<WaterfallPhase> phases;
};

// The phases of one transaction that took place; a missing fetch start or
// response end stands at `now`.
Waterfall waterfall(const platform::URLSessionTaskTransactionMetrics& transaction, platform::Date now);

// Where a phase's bar lies on a track `width` pixels wide; never thinner
// than 2 pixels, and not clamped to the track.
struct BarGeometry {
  double x = 0;
  double width = 0;
};
BarGeometry barGeometry(const WaterfallPhase& phase, double scale, double width);

// A span of seconds to the millisecond, as "0.045s".
std::string formatSeconds(double seconds);

struct MetricRow {
  std::string label;
  std::string value;

  friend bool operator==(const MetricRow&, const MetricRow&) = default;
};

// The overview facts of a send: its duration and time, then, once a
// transaction is in, the last one's protocol and connection reuse.
std::vector<MetricRow> overviewRows(double duration, std::string timestamp,
                                    const platform::URLSessionTaskMetrics* metrics);

}  // namespace wendalore
