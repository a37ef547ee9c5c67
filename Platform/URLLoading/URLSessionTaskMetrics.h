#pragma once

#include <vector>

#include "Platform/URLLoading/DateInterval.h"
#include "Platform/URLLoading/URLSessionTaskTransactionMetrics.h"

namespace platform {

// Everything a task measured, handed to the delegate once, just before the
// task's completion.
struct URLSessionTaskMetrics {
  // One per hop, in order; empty when the task ended before it went out.
  std::vector<URLSessionTaskTransactionMetrics> transactionMetrics;
  // From the task's creation to its completion.
  DateInterval taskInterval;
  int redirectCount = 0;
};

}  // namespace platform
