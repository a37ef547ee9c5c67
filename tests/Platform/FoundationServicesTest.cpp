#include <gtest/gtest.h>

#include <limits>
#include <set>
#include <thread>
#include <vector>

#include "Platform/Foundation/MimeType.h"
#include "Platform/Foundation/Progress.h"
#include "Platform/Foundation/Random.h"

using namespace platform;

TEST(Progress, FractionIsZeroWhileTheTotalIsZeroOrUnknown) {
  auto progress = Progress::make(0);
  progress->setCompletedUnitCount(10);
  EXPECT_EQ(progress->fractionCompleted(), 0.0);
  progress->setTotalUnitCount(-1);
  EXPECT_EQ(progress->fractionCompleted(), 0.0);
  progress->setTotalUnitCount(40);
  EXPECT_EQ(progress->fractionCompleted(), 0.25);
}

TEST(Progress, AddsFromSeveralThreadsLoseNothingAndStopAtTheLimit) {
  auto progress = Progress::make(5'000'000'000);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 10'000; ++i) progress->addToCompletedUnitCount(1'000);
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(progress->completedUnitCount(), 40'000'000);

  progress->setCompletedUnitCount(std::numeric_limits<std::int64_t>::max() - 1);
  progress->addToCompletedUnitCount(10);
  EXPECT_EQ(progress->completedUnitCount(), std::numeric_limits<std::int64_t>::max());
}

TEST(MimeType, KnownExtensionsInAnyCaseAndAFallback) {
  EXPECT_EQ(mimeTypeForPathExtension("JSON"), "application/json");
  EXPECT_EQ(mimeTypeForPathExtension("json"), "application/json");
  EXPECT_EQ(mimeTypeForPathExtension("Jpg"), "image/jpeg");
  EXPECT_EQ(mimeTypeForPathExtension("docx"),
            "application/vnd.openxmlformats-officedocument.wordprocessingml.document");
  EXPECT_EQ(mimeTypeForPathExtension("zip"), "application/zip");
  EXPECT_EQ(mimeTypeForPathExtension("wendalore"), "application/octet-stream");
  EXPECT_EQ(mimeTypeForPathExtension(""), "application/octet-stream");
  EXPECT_EQ(mimeTypeForPathExtension(".json"), "application/octet-stream");
}

TEST(Random, ValuesVary) {
  std::set<std::uint32_t> values;
  for (int i = 0; i < 64; ++i) values.insert(randomUInt32());
  // A repeated value among 64 draws of 32 bits is possible but rare.
  EXPECT_GE(values.size(), 62u);
}
