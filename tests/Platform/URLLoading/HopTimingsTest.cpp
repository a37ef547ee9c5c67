#include "Platform/URLLoading/Engine/HopTimings.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

HopTimings freshTimings() {
  HopTimings timings;
  timings.fetchStart = Date{1000};
  timings.handedOver = Date{1000};
  timings.nameLookup = 1000;
  timings.connect = 2000;
  timings.secureConnect = 5000;
  timings.preTransfer = 6000;
  timings.responseStart = Date{1000.009};
  timings.total = 10000;
  timings.requestEnd = Date{1000.007};
  timings.newConnection = true;
  timings.responseComplete = true;
  return timings;
}

Date at(double secondsAfterStart) { return Date{1000 + secondsAfterStart}; }

}  // namespace

TEST(HopTimings, PlainConnectionHasEveryPhaseButTheSecureOne) {
  URLSessionTaskTransactionMetrics transaction;
  applyHopTimings(freshTimings(), transaction);
  EXPECT_EQ(transaction.fetchStartDate, at(0));
  EXPECT_EQ(transaction.domainLookupStartDate, at(0));
  EXPECT_EQ(transaction.domainLookupEndDate, at(0.001));
  EXPECT_EQ(transaction.connectStartDate, at(0.001));
  EXPECT_EQ(transaction.connectEndDate, at(0.002));
  EXPECT_FALSE(transaction.secureConnectionStartDate);
  EXPECT_FALSE(transaction.secureConnectionEndDate);
  EXPECT_EQ(transaction.requestStartDate, at(0.006));
  EXPECT_EQ(transaction.requestEndDate, at(0.007));
  EXPECT_EQ(transaction.responseStartDate, at(0.009));
  EXPECT_EQ(transaction.responseEndDate, at(0.010));
}

TEST(HopTimings, SecureConnectionEndsTheConnectPhase) {
  auto timings = freshTimings();
  timings.secure = true;
  URLSessionTaskTransactionMetrics transaction;
  applyHopTimings(timings, transaction);
  EXPECT_EQ(transaction.secureConnectionStartDate, at(0.002));
  EXPECT_EQ(transaction.secureConnectionEndDate, at(0.005));
  EXPECT_EQ(transaction.connectEndDate, at(0.005));
}

TEST(HopTimings, ReusedConnectionHasNoLookupOrConnectDates) {
  auto timings = freshTimings();
  timings.newConnection = false;
  timings.secure = true;
  URLSessionTaskTransactionMetrics transaction;
  applyHopTimings(timings, transaction);
  EXPECT_FALSE(transaction.domainLookupStartDate || transaction.domainLookupEndDate);
  EXPECT_FALSE(transaction.connectStartDate || transaction.connectEndDate);
  EXPECT_FALSE(transaction.secureConnectionStartDate || transaction.secureConnectionEndDate);
  EXPECT_EQ(transaction.requestStartDate, at(0.006));
}

TEST(HopTimings, PhasesNeverReachedHaveNoDates) {
  HopTimings refused;
  refused.fetchStart = Date{1000};
  refused.handedOver = Date{1000};
  refused.nameLookup = 50;
  refused.total = 300;
  refused.newConnection = true;
  URLSessionTaskTransactionMetrics transaction;
  applyHopTimings(refused, transaction);
  EXPECT_TRUE(transaction.connectStartDate);
  EXPECT_FALSE(transaction.connectEndDate || transaction.requestStartDate || transaction.requestEndDate);
  EXPECT_FALSE(transaction.responseStartDate || transaction.responseEndDate);
}

TEST(HopTimings, ResponseEndNeedsACompleteResponseAndRequestEndNeverPrecedesItsStart) {
  auto timings = freshTimings();
  timings.responseComplete = false;
  timings.requestEnd = at(0.0055);
  URLSessionTaskTransactionMetrics transaction;
  applyHopTimings(timings, transaction);
  EXPECT_TRUE(transaction.responseStartDate);
  EXPECT_FALSE(transaction.responseEndDate);
  EXPECT_EQ(transaction.requestEndDate, transaction.requestStartDate);
}

TEST(HopTimings, AHostGivenAsAnAddressHasNoLookupDates) {
  auto timings = freshTimings();
  timings.hostIsAddress = true;
  URLSessionTaskTransactionMetrics transaction;
  applyHopTimings(timings, transaction);
  EXPECT_FALSE(transaction.domainLookupStartDate || transaction.domainLookupEndDate);
  EXPECT_EQ(transaction.connectStartDate, at(0));
  EXPECT_EQ(transaction.connectEndDate, at(0.002));
}

// The engine's clock and the library's can disagree by a little; the phases
// still follow one another.
TEST(HopTimings, TheResponseNeitherStartsBeforeTheRequestNorEndsBeforeItStarts) {
  auto timings = freshTimings();
  timings.responseStart = at(0.004);
  URLSessionTaskTransactionMetrics transaction;
  applyHopTimings(timings, transaction);
  EXPECT_EQ(transaction.responseStartDate, at(0.006));

  timings.responseStart = at(0.0105);
  applyHopTimings(timings, transaction);
  EXPECT_EQ(transaction.responseStartDate, at(0.0105));
  EXPECT_EQ(transaction.responseEndDate, at(0.0105));
}

// The library counts from when it was handed the hop, which for a hop that
// waited for a place on a connection is well after its fetch start.
TEST(HopTimings, AHopThatWaitedHasItsPhasesAfterTheWait) {
  auto timings = freshTimings();
  timings.handedOver = at(0.5);
  timings.requestEnd = at(0.507);
  timings.responseStart = at(0.509);
  URLSessionTaskTransactionMetrics transaction;
  applyHopTimings(timings, transaction);
  const auto secondsAfterStart = [](const std::optional<Date>& date) {
    return date ? date->timeIntervalSince(Date{1000}) : -1.0;
  };
  EXPECT_EQ(transaction.fetchStartDate, at(0));
  EXPECT_EQ(transaction.domainLookupStartDate, at(0.5));
  EXPECT_NEAR(secondsAfterStart(transaction.connectEndDate), 0.502, 1e-9);
  EXPECT_NEAR(secondsAfterStart(transaction.requestStartDate), 0.506, 1e-9);
  EXPECT_EQ(transaction.requestEndDate, at(0.507));
  EXPECT_EQ(transaction.responseStartDate, at(0.509));
  EXPECT_NEAR(secondsAfterStart(transaction.responseEndDate), 0.510, 1e-9);
}

TEST(HopTimings, AHopNeverHandedToTheLibraryHasOnlyItsFetchStart) {
  HopTimings queued;
  queued.fetchStart = Date{1000};
  queued.newConnection = true;
  URLSessionTaskTransactionMetrics transaction;
  applyHopTimings(queued, transaction);
  EXPECT_EQ(transaction.fetchStartDate, at(0));
  EXPECT_FALSE(transaction.domainLookupStartDate || transaction.connectStartDate || transaction.requestStartDate);
}
