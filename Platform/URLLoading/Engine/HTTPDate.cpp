#include "Platform/URLLoading/Engine/HTTPDate.h"

#include <array>
#include <cstdint>

#include "Platform/Foundation/ASCIICase.h"

namespace platform {

namespace {

bool isDelimiter(unsigned char character) {
  return character == 0x09 || (character >= 0x20 && character <= 0x2F) || (character >= 0x3B && character <= 0x40) ||
         (character >= 0x5B && character <= 0x60) || (character >= 0x7B && character <= 0x7E);
}

bool isDigit(char character) { return character >= '0' && character <= '9'; }

// Reads `minimum` to `maximum` digits at the start of `token`; the digits
// must be followed by the end or by a non-digit.
std::optional<int> leadingNumber(std::string_view& token, std::size_t minimum, std::size_t maximum) {
  std::size_t count = 0;
  int value = 0;
  while (count < token.size() && isDigit(token[count])) {
    if (count == maximum) return std::nullopt;
    value = value * 10 + (token[count] - '0');
    ++count;
  }
  if (count < minimum) return std::nullopt;
  token.remove_prefix(count);
  return value;
}

struct TimeOfDay {
  int hour;
  int minute;
  int second;
};

std::optional<TimeOfDay> readTime(std::string_view token) {
  const auto hour = leadingNumber(token, 1, 2);
  if (!hour || !token.starts_with(':')) return std::nullopt;
  token.remove_prefix(1);
  const auto minute = leadingNumber(token, 1, 2);
  if (!minute || !token.starts_with(':')) return std::nullopt;
  token.remove_prefix(1);
  const auto second = leadingNumber(token, 1, 2);
  if (!second) return std::nullopt;
  return TimeOfDay{*hour, *minute, *second};
}

std::optional<int> readMonth(std::string_view token) {
  static constexpr std::array<std::string_view, 12> names = {"jan", "feb", "mar", "apr", "may", "jun",
                                                             "jul", "aug", "sep", "oct", "nov", "dec"};
  if (token.size() < 3) return std::nullopt;
  const auto prefix = asciiLowercased(token.substr(0, 3));
  for (std::size_t index = 0; index < names.size(); ++index) {
    if (prefix == names[index]) return static_cast<int>(index) + 1;
  }
  return std::nullopt;
}

bool isLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int daysInMonth(int year, int month) {
  static constexpr std::array<int, 12> days = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && isLeapYear(year) ? 29 : days[static_cast<std::size_t>(month - 1)];
}

// Days from 1970-01-01 to the given day of the proleptic Gregorian calendar.
std::int64_t daysSinceEpoch(int year, int month, int day) {
  const std::int64_t shiftedYear = month <= 2 ? year - 1 : year;
  const std::int64_t era = (shiftedYear >= 0 ? shiftedYear : shiftedYear - 399) / 400;
  const std::int64_t yearOfEra = shiftedYear - era * 400;
  const std::int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

}  // namespace

std::optional<Date> parseHTTPDate(std::string_view text) {
  std::optional<TimeOfDay> time;
  std::optional<int> day;
  std::optional<int> month;
  std::optional<int> year;
  std::size_t position = 0;
  while (position < text.size()) {
    while (position < text.size() && isDelimiter(static_cast<unsigned char>(text[position]))) ++position;
    const auto start = position;
    while (position < text.size() && !isDelimiter(static_cast<unsigned char>(text[position]))) ++position;
    const auto token = text.substr(start, position - start);
    if (token.empty()) continue;
    if (!time && (time = readTime(token))) continue;
    auto digits = token;
    if (!day && (day = leadingNumber(digits, 1, 2))) continue;
    if (!month && (month = readMonth(token))) continue;
    digits = token;
    if (!year) year = leadingNumber(digits, 2, 4);
  }
  if (!time || !day || !month || !year) return std::nullopt;
  int fullYear = *year;
  if (fullYear >= 70 && fullYear <= 99) fullYear += 1900;
  if (fullYear >= 0 && fullYear <= 69) fullYear += 2000;
  if (fullYear < 1601 || *day < 1 || *day > daysInMonth(fullYear, *month) || time->hour > 23 || time->minute > 59 ||
      time->second > 59) {
    return std::nullopt;
  }
  const auto seconds =
      daysSinceEpoch(fullYear, *month, *day) * 86400 + time->hour * 3600 + time->minute * 60 + time->second;
  return Date{static_cast<double>(seconds)};
}

}  // namespace platform
