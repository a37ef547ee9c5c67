#include "Wendanet/Source/Support/FormEncodingOptions.h"

#include <fmt/format.h>

#include "Platform/Coding/EncodingError.h"
#include "Platform/Foundation/Base64.h"
#include "Platform/Foundation/ISO8601DateFormatter.h"
#include "Platform/Foundation/NumberText.h"
#include "Wendanet/Source/Core/TaggedUnion.h"

namespace wendanet {

std::string ArrayEncoding::encode(const std::string& key, std::size_t index) const {
  return std::visit(Overloaded{
                        [&](Builtin builtin) {
                          switch (builtin) {
                            case brackets:
                              return key + "[]";
                            case noBrackets:
                              return key;
                            case indexInBrackets:
                              return fmt::format("{}[{}]", key, index);
                          }
                          return key;
                        },
                        [&](const Handler& handler) { return handler(key, index); },
                    },
                    choice_);
}

std::string_view BoolEncoding::encode(bool value) const {
  if (builtin_ == literal) return value ? "true" : "false";
  return value ? "1" : "0";
}

std::optional<std::string> DataEncoding::encode(const platform::Data& data) const {
  return std::visit(Overloaded{
                        [&](Builtin builtin) -> std::optional<std::string> {
                          if (builtin == base64) return platform::base64Encode(data);
                          return std::nullopt;
                        },
                        [&](const Handler& handler) -> std::optional<std::string> { return handler(data); },
                    },
                    choice_);
}

namespace {

std::string iso8601Text(const platform::Date& date, const platform::CodingPath& codingPath) {
  // The platform's formatter keeps no state, so one shared instance needs
  // no lock.
  static const platform::ISO8601DateFormatter formatter;
  if (!platform::ISO8601DateFormatter::canRepresent(date)) {
    throw platform::EncodingError::invalidValue(
        platform::numberText(date.timeIntervalSince1970),
        {codingPath, "The date is outside the years ISO 8601 text can express here (0000 to 9999).", nullptr});
  }
  return formatter.stringFromDate(date);
}

}  // namespace

std::optional<std::string> DateEncoding::encode(const platform::Date& date,
                                                const platform::CodingPath& codingPath) const {
  return std::visit(
      Overloaded{
          [&](Builtin builtin) -> std::optional<std::string> {
            switch (builtin) {
              case deferredToDate:
                return std::nullopt;
              case secondsSince1970:
                return platform::numberText(date.timeIntervalSince1970);
              case millisecondsSince1970:
                return platform::numberText(date.timeIntervalSince1970 * 1000.0);
              case iso8601:
                return iso8601Text(date, codingPath);
            }
            return std::nullopt;
          },
          [&](const Formatted& formatted) -> std::optional<std::string> { return formatted.formatter(date); },
          [&](const Custom& custom) -> std::optional<std::string> { return custom.handler(date); },
      },
      choice_);
}

KeyPathEncoding KeyPathEncoding::brackets() {
  return KeyPathEncoding([](const std::string& subkey) { return "[" + subkey + "]"; });
}

KeyPathEncoding KeyPathEncoding::dots() {
  return KeyPathEncoding([](const std::string& subkey) { return "." + subkey; });
}

NilEncoding NilEncoding::dropKey() {
  return NilEncoding([]() -> std::optional<std::string> { return std::nullopt; });
}

NilEncoding NilEncoding::dropValue() {
  return NilEncoding([]() -> std::optional<std::string> { return std::string(); });
}

NilEncoding NilEncoding::null() {
  return NilEncoding([]() -> std::optional<std::string> { return "null"; });
}

std::string SpaceEncoding::encode(std::string_view text) const {
  const std::string_view replacement = builtin_ == plusReplaced ? "+" : "%20";
  std::string out;
  out.reserve(text.size());
  for (const char character : text) {
    if (character == ' ') {
      out.append(replacement);
    } else {
      out.push_back(character);
    }
  }
  return out;
}

}  // namespace wendanet
