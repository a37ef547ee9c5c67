#include "Platform/Coding/detail/ISO8601.h"

#include <fmt/format.h>

#include <chrono>
#include <cmath>

namespace platform::detail {

namespace {

using namespace std::chrono;

// 0000-01-01T00:00:00Z and 10000-01-01T00:00:00Z in seconds since 1970.
constexpr double earliestSeconds = -62167219200.0;
constexpr double endSeconds = 253402300800.0;

// Reads exactly `count` digits at `position`.
std::optional<int> digits(std::string_view text, std::size_t position, std::size_t count) {
  if (position + count > text.size()) return std::nullopt;
  int value = 0;
  for (std::size_t i = position; i < position + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

bool hasCharacter(std::string_view text, std::size_t position, char expected) {
  return position < text.size() && text[position] == expected;
}

// Offset of the zone designator at `position` east of UTC, in seconds.
std::optional<int> zoneOffset(std::string_view text, std::size_t position) {
  if (text.substr(position) == "Z") return 0;
  if (text.size() != position + 6 || !hasCharacter(text, position + 3, ':')) return std::nullopt;
  const char sign = text[position];
  if (sign != '+' && sign != '-') return std::nullopt;
  const auto hours = digits(text, position + 1, 2);
  const auto minutes = digits(text, position + 4, 2);
  if (!hours || !minutes || *hours > 23 || *minutes > 59) return std::nullopt;
  const int offset = *hours * 3600 + *minutes * 60;
  return sign == '+' ? offset : -offset;
}

}  // namespace

std::optional<std::string> iso8601Text(Date date) {
  const double wholeSeconds = std::floor(date.timeIntervalSince1970);
  if (!(wholeSeconds >= earliestSeconds && wholeSeconds < endSeconds)) return std::nullopt;
  const sys_seconds instant{seconds(static_cast<long long>(wholeSeconds))};
  const auto day = floor<days>(instant);
  const year_month_day calendar{day};
  const hh_mm_ss time{instant - day};
  return fmt::format("{:04}-{:02}-{:02}T{:02}:{:02}:{:02}Z", static_cast<int>(calendar.year()),
                     static_cast<unsigned>(calendar.month()), static_cast<unsigned>(calendar.day()),
                     time.hours().count(), time.minutes().count(), time.seconds().count());
}

std::optional<Date> dateFromISO8601(std::string_view text) {
  const auto year = digits(text, 0, 4);
  const auto month = digits(text, 5, 2);
  const auto day = digits(text, 8, 2);
  const auto hour = digits(text, 11, 2);
  const auto minute = digits(text, 14, 2);
  const auto second = digits(text, 17, 2);
  const bool separatorsPresent = hasCharacter(text, 4, '-') && hasCharacter(text, 7, '-') &&
                                 hasCharacter(text, 10, 'T') && hasCharacter(text, 13, ':') &&
                                 hasCharacter(text, 16, ':');
  if (!year || !month || !day || !hour || !minute || !second || !separatorsPresent) return std::nullopt;
  if (*hour > 23 || *minute > 59 || *second > 59) return std::nullopt;
  const year_month_day calendar{std::chrono::year{*year}, std::chrono::month{static_cast<unsigned>(*month)},
                                std::chrono::day{static_cast<unsigned>(*day)}};
  if (!calendar.ok()) return std::nullopt;
  const auto offset = zoneOffset(text, 19);
  if (!offset) return std::nullopt;
  const auto local = sys_days{calendar} + hours{*hour} + minutes{*minute} + seconds{*second};
  return Date{static_cast<double>(local.time_since_epoch().count() - *offset)};
}

}  // namespace platform::detail
