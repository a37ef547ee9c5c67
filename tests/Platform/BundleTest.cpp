#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "Platform/Foundation/Bundle.h"

using platform::Bundle;

TEST(Bundle, AProgramThatRegistersNothingHasAnEmptyDictionary) {
  const auto main = Bundle::main();
  EXPECT_TRUE(main->infoDictionary().empty());
  EXPECT_EQ(main->objectForInfoDictionaryKey("CFBundleExecutable"), std::nullopt);
  EXPECT_EQ(Bundle::make({{"Empty", ""}})->objectForInfoDictionaryKey("Empty"), "");
}

TEST(BundleDeathTest, TheRegisteredDictionaryIsTheMainBundlesAndComesFirst) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        Bundle::registerMainInfoDictionary({{"CFBundleName", "App"}});
        std::exit(Bundle::main()->objectForInfoDictionaryKey("CFBundleName") == "App" ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
  EXPECT_DEATH(
      {
        Bundle::main();
        Bundle::registerMainInfoDictionary({});
      },
      "registered after the main bundle was read");
}
