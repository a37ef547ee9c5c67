#pragma once

#include <atomic>
#include <optional>

#include "Wendanet/Source/Core/URLLoadingDeclarations.h"

namespace wendanet::detail {

// Reads the length in seconds of a task's interval from its metrics. The
// layer that owns the metrics type installs it once at start-up; while none
// is installed, responses show no network duration.
using MetricsDurationReader = std::optional<double> (*)(const platform::URLSessionTaskMetrics&);
extern std::atomic<MetricsDurationReader> metricsDurationHook;

// The duration through the installed reader, or absent.
std::optional<double> taskIntervalDuration(const platform::URLSessionTaskMetrics& metrics);

}  // namespace wendanet::detail
