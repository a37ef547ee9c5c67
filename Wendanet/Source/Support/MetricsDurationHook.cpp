#include "Wendanet/Source/Support/MetricsDurationHook.h"

namespace wendanet::detail {

std::atomic<MetricsDurationReader> metricsDurationHook{nullptr};

std::optional<double> taskIntervalDuration(const platform::URLSessionTaskMetrics& metrics) {
  const MetricsDurationReader reader = metricsDurationHook.load();
  return reader ? reader(metrics) : std::nullopt;
}

}  // namespace wendanet::detail
