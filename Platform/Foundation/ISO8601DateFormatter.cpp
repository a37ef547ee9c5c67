#include "Platform/Foundation/ISO8601DateFormatter.h"

#include <fmt/format.h>

#include <chrono>
#include <cmath>
#include <cstdint>

namespace platform {
namespace {

using namespace std::chrono;

// 0000-01-01T00:00:00Z and 9999-12-31T23:59:59Z.
constexpr double earliestSeconds = -62167219200.0;
constexpr double latestSeconds = 253402300799.0;

// Reads a fixed number of decimal digits at `position`.
std::optional<int> readNumber(std::string_view text, std::size_t position, std::size_t count) {
  if (position + count > text.size()) return std::nullopt;
  int value = 0;
  for (std::size_t index = position; index < position + count; ++index) {
    if (text[index] < '0' || text[index] > '9') return std::nullopt;
    value = value * 10 + (text[index] - '0');
  }
  return value;
}

bool hasCharacter(std::string_view text, std::size_t position, char expected) {
  return position < text.size() && text[position] == expected;
}

// Seconds east of UTC of the zone designator, which must end the text.
std::optional<int> readZoneOffset(std::string_view zone) {
  if (zone == "Z") return 0;
  if (zone.size() != 6 || (zone[0] != '+' && zone[0] != '-') || zone[3] != ':') return std::nullopt;
  const auto hours = readNumber(zone, 1, 2);
  const auto minutes = readNumber(zone, 4, 2);
  if (!hours || !minutes || *hours > 23 || *minutes > 59) return std::nullopt;
  const int offset = *hours * 3600 + *minutes * 60;
  return zone[0] == '-' ? -offset : offset;
}

}  // namespace

std::string ISO8601DateFormatter::stringFromDate(Date date) const {
  double seconds = std::floor(date.timeIntervalSince1970);
  if (!(seconds >= earliestSeconds)) seconds = earliestSeconds;
  if (seconds > latestSeconds) seconds = latestSeconds;
  const sys_seconds instant{std::chrono::seconds(static_cast<std::int64_t>(seconds))};
  const auto midnight = floor<days>(instant);
  const year_month_day calendarDate(midnight);
  const hh_mm_ss time(instant - midnight);
  return fmt::format("{:04d}-{:02d}-{:02d}T{:02d}:{:02d}:{:02d}Z", static_cast<int>(calendarDate.year()),
                     static_cast<unsigned>(calendarDate.month()), static_cast<unsigned>(calendarDate.day()),
                     time.hours().count(), time.minutes().count(), time.seconds().count());
}

std::optional<Date> ISO8601DateFormatter::dateFromString(std::string_view text) const {
  const auto yearNumber = readNumber(text, 0, 4);
  const auto monthNumber = readNumber(text, 5, 2);
  const auto dayNumber = readNumber(text, 8, 2);
  const auto hour = readNumber(text, 11, 2);
  const auto minute = readNumber(text, 14, 2);
  const auto second = readNumber(text, 17, 2);
  const bool separatorsFit = hasCharacter(text, 4, '-') && hasCharacter(text, 7, '-') && hasCharacter(text, 10, 'T') &&
                             hasCharacter(text, 13, ':') && hasCharacter(text, 16, ':');
  if (!yearNumber || !monthNumber || !dayNumber || !hour || !minute || !second || !separatorsFit) return std::nullopt;
  if (*hour > 23 || *minute > 59 || *second > 59) return std::nullopt;
  const auto offset = readZoneOffset(text.substr(19));
  if (!offset) return std::nullopt;

  const year_month_day calendarDate{year(*yearNumber), month(static_cast<unsigned>(*monthNumber)),
                                    day(static_cast<unsigned>(*dayNumber))};
  if (!calendarDate.ok()) return std::nullopt;
  const auto sinceEpoch =
      sys_days(calendarDate).time_since_epoch() + hours(*hour) + minutes(*minute) + seconds(*second) - seconds(*offset);
  return Date{static_cast<double>(duration_cast<seconds>(sinceEpoch).count())};
}

bool ISO8601DateFormatter::canRepresent(Date date) {
  return date.timeIntervalSince1970 >= earliestSeconds && date.timeIntervalSince1970 < latestSeconds + 1;
}

}  // namespace platform
