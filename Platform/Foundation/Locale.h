#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class Locale {
 public:
  // Looks up an environment variable by name.
  using EnvironmentLookup = std::function<std::optional<std::string>(std::string_view name)>;

  // The user's languages, most preferred first, as language tags ("en-US").
  static std::vector<std::string> preferredLanguages();

  // The languages the variables name: the colon-separated list in LANGUAGE,
  // else the first of LC_ALL, LC_MESSAGES and LANG that names one. Codeset
  // and modifier are dropped ("de_DE.UTF-8@euro" is "de-DE"); "C", "POSIX"
  // and anything that is not a plain language tag are skipped. ["en-US"]
  // when no variable names a language.
  static std::vector<std::string> preferredLanguages(const EnvironmentLookup& environment);
};

}  // namespace platform
