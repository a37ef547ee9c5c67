#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <future>
#include <string>

#include "Wendanet/Source/Core/Session.h"
#include "tests/servers/HttpbinServer.h"

namespace wendanet::testing {

// Waits for a value the test cannot go on without; a value that never
// comes fails the test instead of hanging it.
template <class Value>
Value await(std::future<Value> future) {
  if (future.wait_for(std::chrono::seconds(60)) != std::future_status::ready) {
    ADD_FAILURE() << "nothing arrived";
    std::abort();
  }
  return future.get();
}

// Keeps the one response a handler must get, and fails on a second.
template <class Response>
class OneResponse {
 public:
  std::function<void(const Response&)> handler() {
    return [this](const Response& response) {
      if (calls_.fetch_add(1) == 0) {
        promise_.set_value(response);
      } else {
        ADD_FAILURE() << "a second completion";
      }
    };
  }
  Response get() { return await(promise_.get_future()); }

 private:
  std::promise<Response> promise_;
  std::atomic<int> calls_ = 0;
};

class SessionHttpbin : public ::testing::Test {
 protected:
  static Session::URLRef url(const std::string& path) {
    return std::make_shared<ConvertibleString>(testservers::HttpbinServer::shared().baseURL() + path);
  }

  const std::shared_ptr<Session> session = Session::makeWithConfiguration(
      nullptr, nullptr, platform::DispatchQueue::make(std::string(Session::defaultRootQueueLabel)));
  const std::shared_ptr<platform::DispatchQueue> handlers = platform::DispatchQueue::make("test.handlers");
};

// The response came once, as a success, with metrics.
template <class Response>
void expectDelivered(const Response& response, int statusCode = 200) {
  ASSERT_TRUE(response.error() == std::nullopt) << response.error()->errorDescription();
  ASSERT_NE(response.response(), nullptr);
  EXPECT_EQ(response.response()->statusCode(), statusCode);
  EXPECT_NE(response.metrics(), nullptr);
}

}  // namespace wendanet::testing
