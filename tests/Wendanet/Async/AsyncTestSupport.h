#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstddef>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "Platform/Concurrency/Task.h"
#include "Platform/Dispatch/DispatchQueue.h"
#include "Platform/Dispatch/RunLoop.h"
#include "Wendanet/Source/Async/StreamOf.h"
#include "Wendanet/Source/Core/Session.h"
#include "tests/servers/HttpbinServer.h"

namespace wendanet::testing {

// A session of its own per test, against the shared local httpbin.
class AsyncHttpbinTest : public ::testing::Test {
 protected:
  static Session::URLRef url(const std::string& path) {
    return std::make_shared<ConvertibleString>(testservers::HttpbinServer::shared().baseURL() + path);
  }

  std::shared_ptr<Session> session = Session::makeWithConfiguration(
      nullptr, nullptr, platform::DispatchQueue::make(std::string(Session::defaultRootQueueLabel)));
  const std::shared_ptr<platform::DispatchQueue> handlers = platform::DispatchQueue::make("test.handlers");
};

// Everything a loop over `iterator` receives, up to `limit` elements.
template <class Element>
platform::Task<std::vector<Element>> collect(typename StreamOf<Element>::Iterator iterator,
                                             std::size_t limit = std::numeric_limits<std::size_t>::max()) {
  std::vector<Element> received;
  while (received.size() < limit) {
    auto element = co_await iterator.next();
    if (!element) break;
    received.push_back(std::move(*element));
  }
  co_return received;
}

// True once `done` holds, false after 20 s; for what ends on a queue of the
// library's own after the awaited value arrived.
inline bool eventually(const std::function<bool()>& done) {
  return platform::RunLoop::main().runUntil(done, std::chrono::seconds(20));
}

}  // namespace wendanet::testing
