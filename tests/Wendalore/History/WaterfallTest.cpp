#include <gtest/gtest.h>

#include "Wendalore/History/HistoryTab.h"
#include "Wendalore/History/Waterfall.h"
#include "tests/Wendalore/History/PhaseTitles.h"

using namespace wendalore;
using platform::Date;

namespace {

Date at(double seconds) { return Date{1000 + seconds}; }

platform::URLSessionTaskTransactionMetrics freshTLSConnection() {
  platform::URLSessionTaskTransactionMetrics t;
  t.fetchStartDate = at(0);
  t.domainLookupStartDate = at(0.01);
  t.domainLookupEndDate = at(0.02);
  t.connectStartDate = at(0.02);
  t.secureConnectionStartDate = at(0.03);
  t.secureConnectionEndDate = at(0.06);
  t.connectEndDate = at(0.06);
  t.requestStartDate = at(0.06);
  t.requestEndDate = at(0.07);
  t.responseStartDate = at(0.17);
  t.responseEndDate = at(0.2);
  return t;
}

TEST(Waterfall, EveryPhaseOfAFreshConnectionOnTheFetchAxis) {
  const auto result = waterfall(freshTLSConnection(), at(99));
  EXPECT_NEAR(result.scale, 0.2, 1e-9);
  ASSERT_EQ(phaseTitles(result), (std::vector<std::string>{"Queueing", "DNS Lookup", "TCP Connect", "TLS Handshake",
                                                       "Sending", "Waiting", "Receiving"}));
  EXPECT_NEAR(result.phases[2].offset, 0.02, 1e-9);
  EXPECT_NEAR(result.phases[2].length, 0.04, 1e-9);
  EXPECT_EQ(result.phases[3].color, PhaseColor::indigo);

  const auto bar = barGeometry(result.phases[2], result.scale, 400);
  EXPECT_NEAR(bar.x, 40, 1e-6);
  EXPECT_NEAR(bar.width, 80, 1e-6);
  EXPECT_EQ(barGeometry({"x", PhaseColor::blue, 0.1, 0.0004}, 0.2, 400).width, 2);
  EXPECT_EQ(formatSeconds(0.0004), "0.000s");
  EXPECT_EQ(formatSeconds(0.0452), "0.045s");
}

TEST(Waterfall, AReusedConnectionSkipsWhatDidNotHappen) {
  auto t = freshTLSConnection();
  t.domainLookupStartDate = t.domainLookupEndDate = t.connectStartDate = t.connectEndDate = std::nullopt;
  t.secureConnectionStartDate = t.secureConnectionEndDate = std::nullopt;
  t.responseStartDate = at(0.071);  // exactly 1 ms of waiting is not shown
  EXPECT_EQ(phaseTitles(waterfall(t, at(99))), (std::vector<std::string>{"Queueing", "Sending", "Receiving"}));
  t.responseStartDate = at(0.0712);
  EXPECT_EQ(phaseTitles(waterfall(t, at(99))), (std::vector<std::string>{"Queueing", "Sending", "Waiting", "Receiving"}));
  t.requestStartDate = at(0);
  EXPECT_EQ(phaseTitles(waterfall(t, at(99))), (std::vector<std::string>{"Sending", "Waiting", "Receiving"}));
}

TEST(Waterfall, AnAxisWithoutLengthUsesOneSecond) {
  auto t = freshTLSConnection();
  t.responseEndDate = at(0);
  EXPECT_EQ(waterfall(t, at(99)).scale, 1);
  t.fetchStartDate = std::nullopt;
  t.responseEndDate = std::nullopt;
  const auto now = waterfall(t, at(0.5));
  EXPECT_EQ(now.scale, 1);
  EXPECT_NEAR(now.phases.front().offset, -0.49, 1e-9);  // drawn left of the track, not clamped
}

TEST(MetricsOverview, ProtocolRowsNeedATransaction) {
  EXPECT_EQ(overviewRows(1.23456, "Dec 7, 2026", nullptr),
            (std::vector<MetricRow>{{"Total Duration", "1.235s"}, {"Timestamp", "Dec 7, 2026"}}));
  platform::URLSessionTaskMetrics metrics;
  EXPECT_EQ(overviewRows(0, "t", &metrics).size(), 2U);
  metrics.transactionMetrics.resize(2);
  metrics.transactionMetrics.back().networkProtocolName = "h2";
  metrics.transactionMetrics.back().isReusedConnection = true;
  EXPECT_EQ(overviewRows(0, "t", &metrics),
            (std::vector<MetricRow>{{"Total Duration", "0.000s"}, {"Timestamp", "t"}, {"Protocol", "h2"},
                                    {"Reused Connection", "Yes"}}));
  metrics.transactionMetrics.back() = {};
  EXPECT_EQ(overviewRows(0, "t", &metrics)[2].value, "Unknown");
  EXPECT_EQ(overviewRows(0, "t", &metrics)[3].value, "No");
}

TEST(HistoryTab, RawValuesAndTitles) {
  EXPECT_EQ(historyTab(4), HistoryTab::rawRequest);
  EXPECT_EQ(historyTab(5), std::nullopt);
  EXPECT_EQ(historyTab(-1), std::nullopt);
  EXPECT_EQ(title(HistoryTab::curl), "cUrl");
}

}  // namespace
