#include "Platform/URLLoading/Engine/OnceReply.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

using namespace platform;

namespace {

struct Delivered {
  std::mutex mutex;
  std::vector<int> answers;

  std::move_only_function<void(int)> sink() {
    return [this](int answer) {
      std::lock_guard lock(mutex);
      answers.push_back(answer);
    };
  }
};

}  // namespace

TEST(OnceReply, PassesOnTheFirstAnswerOnlyAcrossCopies) {
  Delivered delivered;
  {
    auto reply = makeOnceReply<int>(delivered.sink(), -1);
    auto copy = reply;
    copy(7);
    reply(8);
    copy(9);
  }
  EXPECT_EQ(delivered.answers, std::vector<int>{7});
}

TEST(OnceReply, AnswersTheFallbackWhenDroppedUnanswered) {
  Delivered delivered;
  { auto reply = makeOnceReply<int>(delivered.sink(), -1); }
  EXPECT_EQ(delivered.answers, std::vector<int>{-1});
}

TEST(OnceReply, RacingAnswersFromManyThreadsDeliverExactlyOne) {
  Delivered delivered;
  {
    auto reply = makeOnceReply<int>(delivered.sink(), -1);
    std::vector<std::thread> threads;
    for (int index = 0; index < 8; ++index) threads.emplace_back([reply, index] { reply(index); });
    for (auto& thread : threads) thread.join();
  }
  ASSERT_EQ(delivered.answers.size(), 1u);
  EXPECT_GE(delivered.answers.front(), 0);
}
