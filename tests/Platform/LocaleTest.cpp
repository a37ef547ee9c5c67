#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "Platform/Foundation/Locale.h"

using platform::Locale;
using Languages = std::vector<std::string>;

namespace {

Languages languagesFor(std::map<std::string, std::string, std::less<>> variables) {
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
  EXPECT_EQ(languagesFor({{"LANG", "fr"}}), Languages{"fr"});
  EXPECT_EQ(languagesFor({{"LANG", "sr_RS.UTF-8@latin"}}), Languages{"sr-RS"});
}

TEST(Locale, VariablesApplyInOrderOfPrecedence) {
  const std::map<std::string, std::string, std::less<>> all{
      {"LANGUAGE", "de_AT:de:en"}, {"LC_ALL", "fr_FR.UTF-8"}, {"LC_MESSAGES", "it_IT"}, {"LANG", "es_ES"}};
  EXPECT_EQ(languagesFor(all), (Languages{"de-AT", "de", "en"}));
  auto rest = all;
  rest.erase("LANGUAGE");
  EXPECT_EQ(languagesFor(rest), Languages{"fr-FR"});
  rest.erase("LC_ALL");
  EXPECT_EQ(languagesFor(rest), Languages{"it-IT"});
  rest.erase("LC_MESSAGES");
  EXPECT_EQ(languagesFor(rest), Languages{"es-ES"});
}

TEST(Locale, PortableAndEmptyNamesAreSkipped) {
  EXPECT_EQ(languagesFor({{"LANGUAGE", ""}, {"LC_ALL", "C"}, {"LC_MESSAGES", "POSIX"}, {"LANG", "nl_NL"}}),
            Languages{"nl-NL"});
  EXPECT_EQ(languagesFor({{"LANGUAGE", "::C:fr::fr"}}), Languages{"fr"});
  EXPECT_EQ(languagesFor({{"LC_ALL", "C.UTF-8"}}), Languages{"en-US"});
  EXPECT_EQ(languagesFor({}), Languages{"en-US"});
}

TEST(Locale, NamesThatAreNoLanguageTagAreSkipped) {
  // The tags go into request headers, so nothing else may pass.
  EXPECT_EQ(languagesFor({{"LANGUAGE", "en\r\nX-Injected: 1:de"}}), Languages{"de"});
  EXPECT_EQ(languagesFor({{"LANG", "de DE"}}), Languages{"en-US"});
  EXPECT_EQ(languagesFor({{"LANG", "_US"}}), Languages{"en-US"});
  EXPECT_EQ(languagesFor({{"LANG", "/usr/share/locale/x"}}), Languages{"en-US"});
}

TEST(Locale, TheProcessEnvironmentGivesAtLeastOneLanguage) { EXPECT_FALSE(Locale::preferredLanguages().empty()); }
