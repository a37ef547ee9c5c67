#include "MonacoHost/Loading/EngineEnvironment.h"

#include <gtest/gtest.h>

#include <algorithm>

using monacohost::engineSwitches;
using monacohost::withSwitches;

namespace {

bool has(const std::vector<std::string>& switches, const std::string& name) {
  return std::ranges::find(switches, name) != switches.end();
}

TEST(EngineEnvironment, OnlyRootGoesWithoutTheSandboxAndItsZygote) {
  EXPECT_TRUE(has(engineSwitches(true), "--no-sandbox"));
  EXPECT_TRUE(has(engineSwitches(true), "--no-zygote"));
  EXPECT_FALSE(has(engineSwitches(false), "--no-sandbox"));
  EXPECT_FALSE(has(engineSwitches(false), "--no-zygote")) << "the zygote cannot go while the sandbox stays";
  for (const bool root : {true, false}) EXPECT_TRUE(has(engineSwitches(root), "--renderer-process-limit=1"));
}

TEST(EngineEnvironment, SwitchesAreAddedOnceAndAUsersOwnChoiceStands) {
  EXPECT_EQ(withSwitches("", {"--no-sandbox", "--no-zygote"}), "--no-sandbox --no-zygote");
  EXPECT_EQ(withSwitches("--no-sandbox --enable-logging", {"--no-sandbox"}), "--no-sandbox --enable-logging");
  EXPECT_EQ(withSwitches("--renderer-process-limit=4", {"--renderer-process-limit=1", "--no-sandbox"}),
            "--renderer-process-limit=4 --no-sandbox");
  // A switch whose name only begins like ours is another switch.
  EXPECT_EQ(withSwitches("--no-sandbox-please", {"--no-sandbox"}), "--no-sandbox-please --no-sandbox");
}

}  // namespace
