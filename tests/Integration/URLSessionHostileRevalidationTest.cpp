#include <gtest/gtest.h>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "tests/Integration/DecidingSessionTest.h"
#include "tests/servers/ScriptedHTTPServer.h"

using namespace platform;
using testservers::httpResponse;
using testservers::ScriptedRequest;
using FetchType = URLSessionTaskTransactionMetrics::ResourceFetchType;

namespace {

bool isConditional(const ScriptedRequest& request) {
  return request.field("If-None-Match") || request.field("If-Modified-Since");
}

std::string notModified(const std::string& fields) { return "HTTP/1.1 304 Not Modified\r\n" + fields + "\r\n"; }

// Answers each request as the test says, with validators and 304s a
// well-behaved server would not send. Every request is kept, to count hops
// and read the conditions they carried; the answer is made outside the
// lock, so that it may wait for the test.
class HostileServer {
 public:
  using Answer = std::function<std::string(const ScriptedRequest&)>;

  explicit HostileServer(Answer answer)
      : answer_(std::move(answer)),
        server_([this](testservers::ScriptedConnection& connection, const ScriptedRequest& request) {
          {
            std::lock_guard lock(mutex_);
            received_.push_back(request);
          }
          changed_.notify_all();
          connection.send(answer_(request));
          return testservers::ScriptedNext::keepOpen;
        }) {}

  URLRequest request(const std::string& path = "/doc") const {
    return URLRequest(URL::string(server_.baseURL() + path));
  }

  std::vector<ScriptedRequest> received() const {
    std::lock_guard lock(mutex_);
    return received_;
  }

  bool waitForRequests(std::size_t count) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(30), [&] { return received_.size() >= count; });
  }

 private:
  const Answer answer_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<ScriptedRequest> received_;
  testservers::ScriptedHTTPServer server_;
};

// Lets a held answer go once the test says so.
class Gate {
 public:
  void open() {
    {
      std::lock_guard lock(mutex_);
      open_ = true;
    }
    opened_.notify_all();
  }
  void pass() {
    std::unique_lock lock(mutex_);
    opened_.wait_for(lock, std::chrono::seconds(30), [&] { return open_; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable opened_;
  bool open_ = false;
};

using URLSessionHostileRevalidation = DecidingSessionTest;

}  // namespace

TEST_F(URLSessionHostileRevalidation, AStoredValidatorThatCannotGoOnTheWireIsNotSent) {
  const std::vector<std::string> validators{"ETag: \"a\x7f" "b\"", "ETag: \"\x01\"",
                                            "Last-Modified: Sat, 01 Jan 2022 00:00:00 GMT\x7f"};
  HostileServer server([&](const ScriptedRequest& request) {
    const auto& validator = validators.at(std::stoul(request.path.substr(1)));
    return httpResponse("200 OK", "body", "Cache-Control: max-age=0\r\n" + validator + "\r\n");
  });
  for (std::size_t index = 0; index < validators.size(); ++index) {
    for (int attempt = 0; attempt < 3; ++attempt) {
      const auto record = run(server.request("/" + std::to_string(index)));
      EXPECT_EQ(record.errorCode(), 0) << index;
      EXPECT_EQ(statusCode(record), 200) << index;
      EXPECT_EQ(record.data.view(), "body") << index;
    }
  }
  const auto received = server.received();
  EXPECT_EQ(received.size(), 3 * validators.size());
  for (const auto& request : received) EXPECT_FALSE(isConditional(request)) << request.head;
}

TEST_F(URLSessionHostileRevalidation, A304WhoseTagDiffersOnlyInWeaknessConfirmsTheStoredBody) {
  // The server weakens its tag in one kind of answer and not the other.
  HostileServer server([](const ScriptedRequest& request) {
    const bool weakStored = request.path == "/weak";
    if (isConditional(request)) {
      return notModified(std::string("Cache-Control: max-age=600\r\nETag: ") + (weakStored ? "\"abc\"" : "W/\"abc\"") +
                         "\r\n");
    }
    return httpResponse("200 OK", "stored body",
                        std::string("Cache-Control: max-age=0\r\nETag: ") + (weakStored ? "W/\"abc\"" : "\"abc\"") +
                            "\r\n");
  });
  for (const auto* path : {"/weak", "/strong"}) {
    run(server.request(path));
    const auto revalidated = run(server.request(path));
    EXPECT_EQ(statusCode(revalidated), 200) << path;
    EXPECT_EQ(revalidated.data.view(), "stored body") << path;
    ASSERT_TRUE(server.received().back().field("If-None-Match")) << path;
    // Renewed by the 304's lifetime.
    const auto fresh = run(server.request(path));
    EXPECT_EQ(fetchType(fresh), FetchType::localCache) << path;
    EXPECT_EQ(fresh.data.view(), "stored body") << path;
  }
  EXPECT_EQ(server.received().size(), 4u);
}

TEST_F(URLSessionHostileRevalidation, A304ForAnotherTagIsNotHandedToACallerWhoAskedForNone) {
  HostileServer server([](const ScriptedRequest& request) {
    if (isConditional(request)) return notModified("ETag: \"v2\"\r\n");
    return httpResponse("200 OK", "full body", "Cache-Control: max-age=0\r\nETag: \"v1\"\r\n");
  });
  run(server.request());
  const auto record = run(server.request());
  EXPECT_EQ(record.errorCode(), 0);
  EXPECT_EQ(statusCode(record), 200);
  EXPECT_EQ(record.data.view(), "full body");
  // Asked again, this time without the stored tag.
  const auto received = server.received();
  ASSERT_EQ(received.size(), 3u);
  EXPECT_EQ(received[1].field("If-None-Match"), "\"v1\"");
  EXPECT_FALSE(isConditional(received[2]));
}

TEST_F(URLSessionHostileRevalidation, ALate304LeavesTheNewerVersionAnotherTaskStored) {
  Gate late;
  HostileServer server([&](const ScriptedRequest& request) {
    if (!isConditional(request)) {
      return httpResponse("200 OK", "version-1", "Cache-Control: max-age=0\r\nETag: \"v1\"\r\n");
    }
    if (request.field("X-Late")) {
      late.pass();
      return notModified("Cache-Control: max-age=600\r\nETag: \"v1\"\r\n");
    }
    return httpResponse("200 OK", "version-2", "Cache-Control: max-age=600\r\nETag: \"v2\"\r\n");
  });
  run(server.request());

  auto held = server.request();
  held.setValueForHTTPHeaderField("1", "X-Late");
  const auto first = session->dataTaskWithRequest(held);
  first->resume();
  ASSERT_TRUE(server.waitForRequests(2));
  const auto second = run(server.request());
  EXPECT_EQ(second.data.view(), "version-2");
  late.open();
  const auto firstRecord = delegate->waitForCompletion(first);
  EXPECT_EQ(statusCode(firstRecord), 200);
  EXPECT_EQ(firstRecord.data.view(), "version-1");

  const auto next = run(server.request());
  EXPECT_EQ(next.data.view(), "version-2");
  EXPECT_EQ(fetchType(next), FetchType::localCache);
  EXPECT_EQ(server.received().size(), 3u);
}
