#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "Platform/Foundation/Locale.h"

using platform::Locale;
using Languages = std::vector<std::string>;
using Variables = std::map<std::string, std::string, std::less<>>;

namespace {

Languages languagesFor(const Variables& variables) {
  return Locale::preferredLanguages([&](std::string_view name) -> std::optional<std::string> {
    const auto found = variables.find(name);
    if (found == variables.end()) return std::nullopt;
    return found->second;
  });
}

}  // namespace

TEST(Locale, LocaleNamesBecomeLanguageTags) {
  EXPECT_EQ(languagesFor({{"LANG", "en_US.UTF-8"}}), Languages{"en-US"});
  EXPECT_EQ(languagesFor({{"LANG", "de_DE@euro"}}), Languages{"de-DE"});
  EXPECT_EQ(languagesFor({{"LANG", "sr_RS.UTF-8@latin"}}), Languages{"sr-RS"});
}

TEST(Locale, VariablesApplyInOrderOfPrecedence) {
  Variables variables{{"LANGUAGE", "de_AT:de:en"}, {"LC_ALL", "fr_FR"}, {"LC_MESSAGES", "it_IT"}, {"LANG", "es_ES"}};
  EXPECT_EQ(languagesFor(variables), (Languages{"de-AT", "de", "en"}));
  for (const auto& [variable, expected] :
       {std::pair{"LANGUAGE", "fr-FR"}, {"LC_ALL", "it-IT"}, {"LC_MESSAGES", "es-ES"}}) {
    variables.erase(variable);
    EXPECT_EQ(languagesFor(variables), Languages{expected});
  }
}

TEST(Locale, PortableEmptyAndMalformedNamesAreSkipped) {
  EXPECT_EQ(languagesFor({{"LANGUAGE", ""}, {"LC_ALL", "C"}, {"LC_MESSAGES", "POSIX"}, {"LANG", "nl_NL"}}),
            Languages{"nl-NL"});
  EXPECT_EQ(languagesFor({{"LANGUAGE", "::C:fr::fr"}}), Languages{"fr"});
  // The tags go into request headers, so nothing else may pass.
  EXPECT_EQ(languagesFor({{"LANGUAGE", "en\r\nX-Injected: 1:de"}}), Languages{"de"});
  EXPECT_EQ(languagesFor({{"LC_ALL", "C.UTF-8"}, {"LANG", "/usr/share/x"}}), Languages{"en-US"});
  EXPECT_EQ(languagesFor({}), Languages{"en-US"});
}
