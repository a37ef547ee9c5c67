#include "Platform/Foundation/Locale.h"

#include <algorithm>
#include <array>

#include "Platform/Foundation/ProcessInfo.h"

namespace platform {
namespace {

bool isAlphanumeric(char symbol) {
  return (symbol >= 'a' && symbol <= 'z') || (symbol >= 'A' && symbol <= 'Z') || (symbol >= '0' && symbol <= '9');
}

// Subtags of one to eight letters or digits joined by hyphens. Anything else
// is refused: the tags end up in request headers.
bool isLanguageTag(std::string_view tag) {
  std::size_t subtagLength = 0;
  for (char symbol : tag) {
    if (symbol == '-') {
      if (subtagLength == 0) return false;
      subtagLength = 0;
    } else if (isAlphanumeric(symbol) && subtagLength < 8) {
      ++subtagLength;
    } else {
      return false;
    }
  }
  return subtagLength != 0;
}

// "en_US.UTF-8" → "en-US"; absent for the portable locale and for names
// that do not make a language tag.
std::optional<std::string> languageTag(std::string_view localeName) {
  localeName = localeName.substr(0, localeName.find_first_of(".@"));
  if (localeName == "C" || localeName == "POSIX") return std::nullopt;
  std::string tag(localeName);
  std::replace(tag.begin(), tag.end(), '_', '-');
  if (!isLanguageTag(tag)) return std::nullopt;
  return tag;
}

void appendTags(std::string_view localeNames, std::vector<std::string>& tags) {
  while (true) {
    const std::size_t colon = localeNames.find(':');
    const auto tag = languageTag(localeNames.substr(0, colon));
    if (tag && std::find(tags.begin(), tags.end(), *tag) == tags.end()) tags.push_back(*tag);
    if (colon == std::string_view::npos) return;
    localeNames.remove_prefix(colon + 1);
  }
}

}  // namespace

std::vector<std::string> Locale::preferredLanguages() {
  const ProcessInfo& process = ProcessInfo::processInfo();
  return preferredLanguages([&](std::string_view name) { return process.environmentValue(name); });
}

std::vector<std::string> Locale::preferredLanguages(const EnvironmentLookup& environment) {
  constexpr std::array<std::string_view, 4> variables{"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"};
  for (std::string_view variable : variables) {
    const auto value = environment(variable);
    if (!value) continue;
    std::vector<std::string> tags;
    if (variable == "LANGUAGE") {
      appendTags(*value, tags);
    } else if (auto tag = languageTag(*value)) {
      tags.push_back(std::move(*tag));
    }
    if (!tags.empty()) return tags;
  }
  return {"en-US"};
}

}  // namespace platform
