#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "Platform/Foundation/ProcessInfo.h"

using platform::OperatingSystemVersion;
using platform::ProcessInfo;

TEST(ProcessInfo, KernelReleasesGiveMajorMinorPatch) {
  EXPECT_EQ(OperatingSystemVersion::fromKernelRelease("6.1.0-18-amd64"), (OperatingSystemVersion{6, 1, 0}));
  EXPECT_EQ(OperatingSystemVersion::fromKernelRelease("5.15.153.1-wsl"), (OperatingSystemVersion{5, 15, 153}));
  EXPECT_EQ(OperatingSystemVersion::fromKernelRelease("6.8-rc1"), (OperatingSystemVersion{6, 8, 0}));
  EXPECT_EQ(OperatingSystemVersion::fromKernelRelease("x.1.2"), (OperatingSystemVersion{0, 0, 0}));
  EXPECT_EQ(OperatingSystemVersion::fromKernelRelease("6.99999999999.1"), (OperatingSystemVersion{6, 0, 0}));
}

TEST(ProcessInfo, CommandLinesSplitAtEachNul) {
  using namespace std::string_view_literals;
  using Arguments = std::vector<std::string>;
  EXPECT_EQ(ProcessInfo::argumentsFromCommandLine("/usr/bin/app\0-v\0\0last\0"sv),
            (Arguments{"/usr/bin/app", "-v", "", "last"}));
  EXPECT_EQ(ProcessInfo::argumentsFromCommandLine("\0"sv), Arguments{""});
  EXPECT_EQ(ProcessInfo::argumentsFromCommandLine(""sv), Arguments{});
}

TEST(ProcessInfo, DescribesThisProcessAndSystem) {
  const ProcessInfo& info = ProcessInfo::processInfo();
  ASSERT_FALSE(info.arguments().empty());
  EXPECT_NE(info.arguments().front().find("platform_tests"), std::string::npos);
  EXPECT_EQ(info.operatingSystemName(), "Linux");
  EXPECT_GE(info.operatingSystemVersion().majorVersion, 3);
  EXPECT_EQ(info.processIdentifier(), getpid());
  EXPECT_EQ(info.environmentValue("WENDALORE_SURELY_UNSET"), std::nullopt);

  const double before = info.systemUptime();
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_GE(info.systemUptime() - before, 0.019);
}
