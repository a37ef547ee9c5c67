#pragma once

#include "Platform/Foundation/Date.h"

namespace platform {

// A span of time from a start date, `duration` seconds long.
struct DateInterval {
  Date start;
  double duration = 0;

  Date end() const { return start.addingTimeInterval(duration); }

  friend bool operator==(const DateInterval&, const DateInterval&) = default;
};

}  // namespace platform
