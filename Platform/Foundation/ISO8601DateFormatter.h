#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "Platform/Foundation/Date.h"

namespace platform {

// Internet date-time text in UTC without fractional seconds, such as
// "2001-01-01T00:00:00Z". Holds no state; safe to share between threads.
class ISO8601DateFormatter {
 public:
  // Fractions of a second are dropped (rounded towards the past). Dates
  // outside the years 0000 to 9999, and not-a-number, are written as the
  // nearest date inside that range.
  std::string stringFromDate(Date date) const;
  // Whether the date lies within the years 0000 to 9999, so that its text
  // is exact rather than clamped.
  static bool canRepresent(Date date);

  // Reads "YYYY-MM-DDTHH:MM:SS" followed by "Z" or a "+HH:MM"/"-HH:MM"
  // offset; absent for anything else or for a date that does not exist.
  std::optional<Date> dateFromString(std::string_view text) const;
};

}  // namespace platform
