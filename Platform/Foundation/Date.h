#pragma once

#include <compare>

namespace platform {

// A point in time as seconds since 1970-01-01 00:00:00 UTC.
struct Date {
  // Seconds from 1970 to the reference date 2001-01-01 00:00:00 UTC.
  static constexpr double timeIntervalBetween1970AndReferenceDate = 978307200.0;

  double timeIntervalSince1970 = 0;

  static Date now();
  static Date fromTimeIntervalSinceReferenceDate(double seconds) {
    return Date{seconds + timeIntervalBetween1970AndReferenceDate};
  }

  double timeIntervalSinceReferenceDate() const {
    return timeIntervalSince1970 - timeIntervalBetween1970AndReferenceDate;
  }
  double timeIntervalSince(Date other) const { return timeIntervalSince1970 - other.timeIntervalSince1970; }
  Date addingTimeInterval(double seconds) const { return Date{timeIntervalSince1970 + seconds}; }

  friend auto operator<=>(const Date&, const Date&) = default;
};

}  // namespace platform
