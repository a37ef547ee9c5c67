#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <future>
#include <thread>

#include "Wendalore/History/Waterfall.h"
#include "Wendanet/Source/Core/Session.h"
#include "tests/Wendalore/History/PhaseTitles.h"
#include "tests/servers/ScriptedHTTPServer.h"

namespace wendalore {
namespace {

using namespace std::chrono_literals;

constexpr double thinkingTime = 1.0;

// Reads each request to the end of its body, thinks, then answers.
class ThinkingServer {
 public:
  std::string url() const { return server_.baseURL() + "/think"; }

 private:
  testservers::ScriptedHTTPServer server_{[](testservers::ScriptedConnection& connection, const auto&) {
    std::this_thread::sleep_for(std::chrono::duration<double>(thinkingTime));
    connection.send(testservers::httpResponse("200 OK", "done"));
    return testservers::ScriptedNext::keepOpen;
  }};
};

platform::URLSessionTaskTransactionMetrics lastTransaction(wendanet::Session& session, platform::URLRequest request) {
  std::promise<std::shared_ptr<const platform::URLSessionTaskMetrics>> delivered;
  session.requestWithURLRequest(std::make_shared<wendanet::ConvertibleURLRequest>(std::move(request)))
      ->response(platform::DispatchQueue::make("test.waiting.handler"),
                 [&](const auto& response) { delivered.set_value(response.metrics()); });
  auto future = delivered.get_future();
  if (future.wait_for(60s) != std::future_status::ready) std::abort();
  const auto metrics = future.get();
  if (!metrics || metrics->transactionMetrics.empty()) return {};
  return metrics->transactionMetrics.back();
}

const WaterfallPhase* phase(const Waterfall& waterfall, std::string_view title) {
  const auto found = std::ranges::find(waterfall.phases, title, &WaterfallPhase::title);
  return found == waterfall.phases.end() ? nullptr : &*found;
}

// The response starts when its first byte comes back, not when the last
// byte of the request went out: the server's thinking time shows as
// "Waiting", whatever the size of the body it had to read first.
TEST(WaitingPhase, TheServersThinkingTimeIsWaitingNotReceiving) {
  const ThinkingServer server;
  const auto session = wendanet::Session::makeWithConfiguration();
  struct Case {
    const char* method;
    std::size_t bodySize;
  };
  for (const auto& [method, bodySize] : {Case{"GET", 0}, Case{"POST", 16}, Case{"POST", 1024 * 1024}}) {
    SCOPED_TRACE(std::string(method) + " with " + std::to_string(bodySize) + " body bytes");
    platform::URLRequest request(platform::URL::string(server.url()));
    request.setHTTPMethod(method);
    if (bodySize > 0) request.setHTTPBody(platform::Data(std::string(bodySize, 'x')));
    const auto transaction = lastTransaction(*session, std::move(request));
    ASSERT_TRUE(transaction.responseEndDate);

    const auto result = waterfall(transaction, platform::Date::now());
    const auto* waiting = phase(result, "Waiting");
    const auto* receiving = phase(result, "Receiving");
    ASSERT_NE(waiting, nullptr) << ::testing::PrintToString(phaseTitles(result));
    ASSERT_NE(receiving, nullptr);
    EXPECT_GE(waiting->length, thinkingTime - 0.05);
    EXPECT_LT(waiting->length, thinkingTime + 30);
    EXPECT_LT(receiving->length, 0.5);
    // The host was written as an address: nothing was looked up.
    EXPECT_EQ(phase(result, "DNS Lookup"), nullptr);
  }
}

}  // namespace
}  // namespace wendalore
