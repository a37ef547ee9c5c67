#include <gtest/gtest.h>

#include <chrono>
#include <future>

#include "Wendalore/History/HistoryRowText.h"
#include "Wendalore/History/Waterfall.h"
#include "tests/Wendalore/History/PhaseTitles.h"
#include "Wendanet/Source/Core/Session.h"
#include "Wendanet/Source/Support/ServerTrustEvaluators.h"
#include "tests/servers/HttpbinServer.h"
#include "tests/servers/TLSHttpbinServer.h"

using namespace wendalore;
using testservers::TLSCertificates;

namespace {

std::shared_ptr<const platform::URLSessionTaskMetrics> metricsOfGet(const std::shared_ptr<wendanet::Session>& session,
                                                                    const std::string& url) {
  std::promise<std::shared_ptr<const platform::URLSessionTaskMetrics>> delivered;
  session->requestWithParameters(std::make_shared<wendanet::ConvertibleString>(url))
      ->response(platform::DispatchQueue::make("test.metrics.handler"),
                 [&](const auto& response) { delivered.set_value(response.metrics()); });
  auto future = delivered.get_future();
  if (future.wait_for(std::chrono::seconds(60)) != std::future_status::ready) std::abort();
  return future.get();
}

bool has(const std::vector<std::string>& list, const char* title) { return std::ranges::find(list, title) != list.end(); }

// Two sends on one session: a fresh connection, then the same one again.
void checkTwoSends(const std::shared_ptr<wendanet::Session>& session, const std::string& url, bool secure) {
  for (const bool reused : {false, true}) {
    const auto metrics = metricsOfGet(session, url);
    ASSERT_TRUE(metrics);
    ASSERT_FALSE(metrics->transactionMetrics.empty());
    const auto& transaction = metrics->transactionMetrics.back();

    const auto rows = overviewRows(0.25, "now", metrics.get());
    ASSERT_EQ(rows.size(), 4U);
    EXPECT_EQ(rows[0], (MetricRow{"Total Duration", "0.250s"}));
    EXPECT_TRUE(rows[2].value == "http/1.1" || rows[2].value == "h2") << rows[2].value;
    EXPECT_EQ(rows[3], (MetricRow{"Reused Connection", reused ? "Yes" : "No"}));

    const auto result = waterfall(transaction, platform::Date::now());
    const auto names = phaseTitles(result);
    EXPECT_EQ(has(names, "TCP Connect"), !reused);
    EXPECT_EQ(has(names, "TLS Handshake"), secure && !reused);
    EXPECT_TRUE(has(names, "Sending"));
    EXPECT_TRUE(has(names, "Receiving"));
    EXPECT_EQ(has(names, "Waiting"),
              transaction.responseStartDate->timeIntervalSince(*transaction.requestEndDate) > 0.001);
    for (const auto& phase : result.phases) {
      EXPECT_GE(phase.offset, -1e-6) << phase.title;
      EXPECT_LE(phase.offset + phase.length, result.scale + 1e-6) << phase.title;
      EXPECT_GE(barGeometry(phase, result.scale, 300).width, 2) << phase.title;
    }

    auto item = RequestHistoryItem::make(platform::Date::now(), "GET", url, {}, std::nullopt);
    item->setMetrics(metrics);
    const auto bytes = bytesTransferred(*item);
    ASSERT_TRUE(bytes);
    EXPECT_GT(bytes->sent, 0);
    EXPECT_GT(bytes->received, 0);
  }
}

TEST(RealMetrics, PlainHttpbin) {
  checkTwoSends(wendanet::Session::makeWithConfiguration(), testservers::HttpbinServer::shared().baseURL() + "/get", false);
}

TEST(RealMetrics, TLSHttpbin) {
  const auto& server = testservers::TLSHttpbinServer::shared(TLSCertificates::Kind::valid);
  const auto ca = platform::SecCertificate::make(TLSCertificates::shared().ca().der());
  const auto trust = wendanet::ServerTrustManager::make(
      true, {{"127.0.0.1", std::make_shared<wendanet::PinnedCertificatesTrustEvaluator>(
                               wendanet::SecCertificates{ca}, true, true, true)}});
  const auto session = wendanet::Session::makeWithConfiguration(nullptr, nullptr, nullptr, {.serverTrustManager = trust});
  checkTwoSends(session, server.baseURL() + "/get", true);
}

}  // namespace
