#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "Platform/Foundation/ProcessInfo.h"

using platform::OperatingSystemVersion;
using platform::ProcessInfo;
using Arguments = std::vector<std::string>;

TEST(ProcessInfo, KernelReleasesGiveMajorMinorPatch) {
  EXPECT_EQ(OperatingSystemVersion::fromKernelRelease("6.1.0-18-amd64"), (OperatingSystemVersion{6, 1, 0}));
  EXPECT_EQ(OperatingSystemVersion::fromKernelRelease("5.15.153.1-microsoft-standard-WSL2"),
            (OperatingSystemVersion{5, 15, 153}));
  EXPECT_EQ(OperatingSystemVersion::fromKernelRelease("6.8-rc1"), (OperatingSystemVersion{6, 8, 0}));
  EXPECT_EQ(OperatingSystemVersion::fromKernelRelease("4"), (OperatingSystemVersion{4, 0, 0}));
  EXPECT_EQ(OperatingSystemVersion::fromKernelRelease(""), (OperatingSystemVersion{0, 0, 0}));
  EXPECT_EQ(OperatingSystemVersion::fromKernelRelease("x.1.2"), (OperatingSystemVersion{0, 0, 0}));
  EXPECT_EQ(OperatingSystemVersion::fromKernelRelease("6.99999999999.1"), (OperatingSystemVersion{6, 0, 0}));
}

TEST(ProcessInfo, CommandLinesSplitAtEachNul) {
  using namespace std::string_view_literals;
  EXPECT_EQ(ProcessInfo::argumentsFromCommandLine("/usr/bin/app\0-v\0\0last\0"sv),
            (Arguments{"/usr/bin/app", "-v", "", "last"}));
  EXPECT_EQ(ProcessInfo::argumentsFromCommandLine("app"sv), Arguments{"app"});
  EXPECT_EQ(ProcessInfo::argumentsFromCommandLine("\0"sv), Arguments{""});
  EXPECT_EQ(ProcessInfo::argumentsFromCommandLine(""sv), Arguments{});
}

TEST(ProcessInfo, DescribesThisProcessAndSystem) {
  const ProcessInfo& info = ProcessInfo::processInfo();
  EXPECT_EQ(&info, &ProcessInfo::processInfo());
  ASSERT_FALSE(info.arguments().empty());
  EXPECT_NE(info.arguments().front().find("platform_tests"), std::string::npos);
  EXPECT_EQ(info.operatingSystemName(), "Linux");
  EXPECT_GE(info.operatingSystemVersion().majorVersion, 3);
  EXPECT_EQ(OperatingSystemVersion::fromKernelRelease(info.operatingSystemVersionString()),
            info.operatingSystemVersion());
  EXPECT_EQ(info.processIdentifier(), getpid());
}

TEST(ProcessInfo, UptimeMovesForward) {
  const ProcessInfo& info = ProcessInfo::processInfo();
  const double before = info.systemUptime();
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  const double elapsed = info.systemUptime() - before;
  EXPECT_GT(before, 0);
  EXPECT_GE(elapsed, 0.019);
}

TEST(ProcessInfo, EnvironmentValuesKeepAbsentAndEmptyApart) {
  const ProcessInfo& info = ProcessInfo::processInfo();
  ::setenv("WENDALORE_TEST_EMPTY", "", 1);
  ::setenv("WENDALORE_TEST_SET", "value", 1);
  ::unsetenv("WENDALORE_TEST_UNSET");
  EXPECT_EQ(info.environmentValue("WENDALORE_TEST_EMPTY"), "");
  EXPECT_EQ(info.environmentValue("WENDALORE_TEST_SET"), "value");
  EXPECT_EQ(info.environmentValue("WENDALORE_TEST_UNSET"), std::nullopt);
}
