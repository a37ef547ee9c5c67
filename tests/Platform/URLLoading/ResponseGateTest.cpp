#include "Platform/URLLoading/Engine/ResponseGate.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

using namespace platform;
using Disposition = URLSessionResponseDisposition;

namespace {

struct Endings {
  std::mutex mutex;
  std::vector<Disposition> seen;

  ResponseGate::Ending ending() {
    return [this](Disposition disposition) {
      std::lock_guard lock(mutex);
      seen.push_back(disposition);
    };
  }
};

}  // namespace

TEST(ResponseGate, AnAnswerAfterTheEndRunsTheParkedEndingWhereItIsGiven) {
  ResponseGate gate;
  Endings endings;
  gate.park(endings.ending());
  EXPECT_TRUE(endings.seen.empty());
  EXPECT_TRUE(gate.answer(Disposition::allow));
  EXPECT_EQ(endings.seen, std::vector<Disposition>{Disposition::allow});
}

TEST(ResponseGate, AnAnswerBeforeTheEndIsLeftToTheEngineAndEndsAParkingAtOnce) {
  ResponseGate gate;
  Endings endings;
  EXPECT_FALSE(gate.answer(Disposition::cancel));
  gate.park(endings.ending());
  EXPECT_EQ(endings.seen, std::vector<Disposition>{Disposition::cancel});
  EXPECT_FALSE(gate.reclaim());
}

TEST(ResponseGate, AReclaimedEndingIsNoLongerRunByAnAnswer) {
  ResponseGate gate;
  Endings endings;
  gate.park(endings.ending());
  auto reclaimed = gate.reclaim();
  ASSERT_TRUE(reclaimed);
  EXPECT_FALSE(gate.answer(Disposition::allow));
  reclaimed(Disposition::cancel);
  EXPECT_EQ(endings.seen, std::vector<Disposition>{Disposition::cancel});
}

TEST(ResponseGate, RacingAnswerAndReclaimRunTheEndingExactlyOnce) {
  for (int round = 0; round < 200; ++round) {
    ResponseGate gate;
    Endings endings;
    gate.park(endings.ending());
    std::thread answering([&] { gate.answer(Disposition::allow); });
    if (auto reclaimed = gate.reclaim()) reclaimed(Disposition::cancel);
    answering.join();
    ASSERT_EQ(endings.seen.size(), 1u);
  }
}
