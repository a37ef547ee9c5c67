#include <gtest/gtest.h>

#include "Platform/Foundation/Bundle.h"
#include "tests/Platform/ScratchDirectory.h"

using platform::Bundle;

TEST(BundleResources, FoundByNameTypeAndSubdirectory) {
  ScratchDirectory scratch;
  scratch.write("b.min.css", "");
  scratch.write("a.min.css", "");
  scratch.write("script.js", "");
  scratch.write(".css", "");
  std::filesystem::create_directories(scratch / "Languages");
  std::filesystem::create_directories(scratch / "folder.css");
  scratch.write("Languages/swift.js", "");

  const auto bundle = Bundle::atPath(scratch.path());
  ASSERT_TRUE(bundle);
  EXPECT_EQ(bundle->pathForResource("script", "js"), scratch / "script.js");
  EXPECT_EQ(bundle->pathForResource("swift", "js"), std::nullopt);
  EXPECT_EQ(bundle->pathForResource("swift", "js", "Languages"), scratch / "Languages/swift.js");
  EXPECT_EQ(bundle->pathForResource("Languages", ""), std::nullopt);  // a directory is no resource
  EXPECT_EQ(bundle->pathsForResources("css"), (std::vector{scratch / "a.min.css", scratch / "b.min.css"}));
  EXPECT_TRUE(bundle->pathsForResources("css", "Missing").empty());

  EXPECT_EQ(Bundle::atPath(scratch / "script.js"), nullptr);
  EXPECT_EQ(Bundle::make({})->pathForResource("script", "js"), std::nullopt);
  EXPECT_TRUE(Bundle::main()->bundlePath().has_value());
}
