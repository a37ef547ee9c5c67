#include <gtest/gtest.h>

#include <string>

#include "Platform/Foundation/Bundle.h"

using platform::Bundle;

TEST(Bundle, MainBundleDescribesTheProgram) {
  const auto main = Bundle::main();
  EXPECT_EQ(main->objectForInfoDictionaryKey("CFBundleExecutable"), "Wendalore");
  EXPECT_EQ(main->objectForInfoDictionaryKey("CFBundleIdentifier"), "org.wendalore.Wendalore");
  EXPECT_EQ(main->objectForInfoDictionaryKey("CFBundleName"), "Wendalore");
  const auto version = main->objectForInfoDictionaryKey("CFBundleShortVersionString");
  ASSERT_TRUE(version);
  EXPECT_TRUE(!version->empty() && version->find_first_not_of("0123456789.") == std::string::npos) << *version;
  EXPECT_EQ(main->objectForInfoDictionaryKey("CFBundleVersion"), version);
  EXPECT_EQ(main->objectForInfoDictionaryKey("Missing"), std::nullopt);
  EXPECT_EQ(Bundle::make({{"Empty", ""}})->objectForInfoDictionaryKey("Empty"), "");
}
