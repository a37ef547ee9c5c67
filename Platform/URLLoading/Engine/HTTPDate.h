#pragma once

#include <optional>
#include <string_view>

#include "Platform/Foundation/Date.h"

namespace platform {

// Reads a date as servers write it in Expires, Date and cookie attributes:
// the IMF form "Sun, 06 Nov 1994 08:49:37 GMT" and the older forms too,
// found token by token whatever their order and separators. Absent for text
// without a valid time, day, month and year (years before 1601 included).
std::optional<Date> parseHTTPDate(std::string_view text);

}  // namespace platform
