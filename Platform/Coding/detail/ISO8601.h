#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "Platform/Foundation/Date.h"

// Internal to the coding layer: internet date-time text in UTC, such as
// 2026-12-05T18:39:48Z, for the iso8601 strategies of the JSON coders.
namespace platform::detail {

// Whole seconds (a fraction is dropped, rounding toward the past). Absent for
// a date outside the years 0000 to 9999 or one that is not a number.
std::optional<std::string> iso8601Text(Date date);

// Reads "yyyy-MM-ddTHH:mm:ss" followed by "Z" or an offset "+HH:MM"/"-HH:MM".
std::optional<Date> dateFromISO8601(std::string_view text);

}  // namespace platform::detail
