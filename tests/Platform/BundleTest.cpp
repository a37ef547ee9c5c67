#include <gtest/gtest.h>

#include <regex>

#include "Platform/Foundation/Bundle.h"

using platform::Bundle;

TEST(Bundle, MainBundleDescribesTheProgram) {
  const auto main = Bundle::main();
  EXPECT_EQ(main, Bundle::main());
  EXPECT_EQ(main->objectForInfoDictionaryKey("CFBundleExecutable"), "Wendalore");
  EXPECT_EQ(main->objectForInfoDictionaryKey("CFBundleIdentifier"), "org.wendalore.Wendalore");
  EXPECT_EQ(main->objectForInfoDictionaryKey("CFBundleName"), "Wendalore");
  const auto version = main->objectForInfoDictionaryKey("CFBundleShortVersionString");
  ASSERT_TRUE(version);
  EXPECT_TRUE(std::regex_match(*version, std::regex("[0-9]+(\\.[0-9]+)*"))) << *version;
  EXPECT_EQ(main->objectForInfoDictionaryKey("CFBundleVersion"), version);
}

TEST(Bundle, AbsentKeysDifferFromEmptyValues) {
  const auto bundle = Bundle::make({{"Empty", ""}});
  EXPECT_EQ(bundle->objectForInfoDictionaryKey("Empty"), "");
  EXPECT_EQ(bundle->objectForInfoDictionaryKey("Missing"), std::nullopt);
  EXPECT_EQ(bundle->objectForInfoDictionaryKey("empty"), std::nullopt);
  EXPECT_EQ(Bundle::main()->objectForInfoDictionaryKey("Missing"), std::nullopt);
}
