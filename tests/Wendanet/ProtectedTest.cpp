#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <future>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "Wendanet/Source/Core/Protected.h"

using wendanet::Protected;

TEST(Protected, ConcurrentIncrementsAreNeverLost) {
  Protected<int> counter(0);
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 250'000; ++i) counter.write([](int& value) { ++value; });
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(counter.read([](int value) { return value; }), 2'000'000);
}

TEST(Protected, ThrowingWriteReleasesTheLockAndKeepsEarlierChanges) {
  Protected<std::vector<int>> values(std::vector<int>{1});
  EXPECT_THROW(values.write([](std::vector<int>& stored) {
    stored.push_back(2);
    throw std::runtime_error("stop");
  }),
               std::runtime_error);
  EXPECT_EQ(values.read([](const std::vector<int>& stored) { return stored; }), (std::vector<int>{1, 2}));
  EXPECT_THROW(values.read([](const std::vector<int>&) -> int { throw std::logic_error("read"); }), std::logic_error);
  values.setValue({3});
  EXPECT_EQ(values.read([](const std::vector<int>& stored) { return stored; }), (std::vector<int>{3}));
}

TEST(Protected, ReadWorksOnACopy) {
  Protected<std::string> text(std::string("abc"));
  const std::string seen = text.read([](std::string copy) {
    copy += "!";
    return copy;
  });
  EXPECT_EQ(seen, "abc!");
  EXPECT_EQ(text.read([](const std::string& value) { return value; }), "abc");
}

TEST(Protected, EqualValuesCompareAndHashEqualEvenAgainstItself) {
  Protected<std::string> left(std::string("x")), right(std::string("x")), other(std::string("y"));
  EXPECT_TRUE(left == right);
  EXPECT_TRUE(right == left);
  EXPECT_TRUE(left == left);
  EXPECT_FALSE(left == other);
  EXPECT_EQ(std::hash<Protected<std::string>>{}(left), std::hash<Protected<std::string>>{}(right));
}

TEST(Protected, OppositeOrderComparisonsFromTwoThreadsDoNotDeadlock) {
  constexpr int rounds = 100'000;
  Protected<int> a(1), b(1);
  std::atomic<int> equalAnswers{0};
  const auto compare = [&](const Protected<int>& left, const Protected<int>& right) {
    for (int i = 0; i < rounds; ++i) {
      if (left == right) ++equalAnswers;
    }
  };
  auto first = std::async(std::launch::async, compare, std::cref(a), std::cref(b));
  auto second = std::async(std::launch::async, compare, std::cref(b), std::cref(a));
  // Two threads blocked on each other's lock would never get here; failing
  // loudly beats hanging the suite.
  for (auto* comparing : {&first, &second}) {
    if (comparing->wait_for(std::chrono::seconds(120)) != std::future_status::ready) {
      std::fputs("Protected: comparisons in opposite orders deadlocked\n", stderr);
      std::abort();
    }
  }
  EXPECT_EQ(equalAnswers.load(), 2 * rounds);
}
