#include <gtest/gtest.h>
#include <fmt/format.h>
#include <zlib.h>

#include <atomic>
#include <map>
#include <mutex>
#include <thread>

#include "Platform/Foundation/URLError.h"
#include "Platform/URLLoading/URLSessionConfiguration.h"
#include "tests/Integration/RecordingSessionDelegate.h"
#include "tests/Integration/WebSocketRecorder.h"
#include "tests/Platform/URLLoading/Compressed.h"
#include "tests/servers/ScriptedHTTPServer.h"

using namespace platform;
using testservers::httpResponse;
using testservers::ScriptedConnection;
using testservers::ScriptedHTTPServer;
using testservers::ScriptedNext;
using testservers::ScriptedRequest;

namespace {

// A gibibyte of zeros in about a megabyte of gzip, built from one
// compressed mebibyte repeated: a full flush makes each copy stand alone.
const std::string& gzipBomb() {
  static const std::string bomb = [] {
    const std::string zeros(1 << 20, '\0');
    z_stream stream{};
    deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY);
    std::string block(deflateBound(&stream, zeros.size()) + 64, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(zeros.data()));
    stream.avail_in = static_cast<uInt>(zeros.size());
    stream.next_out = reinterpret_cast<Bytef*>(block.data());
    stream.avail_out = static_cast<uInt>(block.size());
    deflate(&stream, Z_FULL_FLUSH);
    block.resize(block.size() - stream.avail_out);
    std::string last(64, '\0');
    stream.next_out = reinterpret_cast<Bytef*>(last.data());
    stream.avail_out = static_cast<uInt>(last.size());
    deflate(&stream, Z_FINISH);
    last.resize(last.size() - stream.avail_out);
    deflateEnd(&stream);

    const uLong mebibyteCRC = crc32(0, reinterpret_cast<const Bytef*>(zeros.data()), static_cast<uInt>(zeros.size()));
    uLong crc = 0;
    std::string output("\x1f\x8b\x08\0\0\0\0\0\0\x03", 10);
    for (int copy = 0; copy < 1024; ++copy) {
      output += block;
      crc = crc32_combine(crc, mebibyteCRC, static_cast<z_off_t>(zeros.size()));
    }
    output += last;
    // The CRC, then the length modulo 2^32, both little-endian.
    for (int shift = 0; shift < 32; shift += 8) output += static_cast<char>((crc >> shift) & 0xFF);
    output += std::string(4, '\0');
    return output;
  }();
  return bomb;
}

std::string chunked(const std::string& body, std::string_view trailer = {}) {
  return fmt::format("{:x}\r\n{}\r\n0\r\n{}\r\n", body.size(), body, trailer);
}

class HostileServer : public ::testing::Test {
 protected:
  void TearDown() override {
    session->invalidateAndCancel();
    EXPECT_TRUE(delegate->waitForInvalidation());
    EXPECT_EQ(delegate->lateCallbacks(), 0);
  }

  // Every request is answered with what `script` says for its path.
  void serve(std::function<ScriptedNext(ScriptedConnection&, const ScriptedRequest&)> script) {
    server = std::make_unique<ScriptedHTTPServer>(std::move(script));
  }

  TaskRecord get(const std::string& path) {
    const auto task = session->dataTaskWithRequest(URLRequest(URL::string(server->baseURL() + path)));
    task->resume();
    return delegate->waitForCompletion(task);
  }

  void useConfiguration(std::shared_ptr<URLSessionConfiguration> configuration) {
    session->invalidateAndCancel();
    delegate->waitForInvalidation();
    delegate = std::make_shared<RecordingSessionDelegate>();
    session = makeRecordingSession(delegate, std::move(configuration));
  }

  std::unique_ptr<ScriptedHTTPServer> server;
  std::shared_ptr<RecordingSessionDelegate> delegate = std::make_shared<RecordingSessionDelegate>();
  std::shared_ptr<URLSession> session = makeRecordingSession(delegate);
};

// Each reply by its path, sent as written, the connection closed after it.
ScriptedHTTPServer::Script cannedReplies(std::map<std::string, std::string> replies) {
  return [replies = std::move(replies)](ScriptedConnection& connection, const ScriptedRequest& request) {
    const auto found = replies.find(request.path);
    connection.send(found == replies.end() ? httpResponse("404 Not Found", "") : found->second);
    return ScriptedNext::close;
  };
}

}  // namespace

TEST_F(HostileServer, ResponsesWithoutAValidHeadOrWithContradictoryFramingAreBadServerResponses) {
  const std::map<std::string, std::string> replies = {
      {"/garbage", "garbage\r\n\r\n"},
      {"/four-digits", "HTTP/1.1 2000 OK\r\nContent-Length: 2\r\n\r\nok"},
      {"/letters", "HTTP/1.1 abc OK\r\nContent-Length: 2\r\n\r\nok"},
      {"/no-status-line", "Content-Length: 2\r\n\r\nok"},
      {"/two-lengths", "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nContent-Length: 5\r\n\r\nokokok"},
      {"/length-list", "HTTP/1.1 200 OK\r\nContent-Length: 2, 5\r\n\r\nokokok"},
      {"/unparseable-length", "HTTP/1.1 200 OK\r\nContent-Length: 2x\r\n\r\nok"},
      {"/unrequested-switch", "HTTP/1.1 101 Switching Protocols\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n\r\n"},
      {"/field-without-colon", "HTTP/1.1 200 OK\r\nNo colon\r\nContent-Length: 2\r\n\r\nok"},
  };
  serve(cannedReplies(replies));
  for (const auto& [path, reply] : replies) {
    const auto record = get(path);
    EXPECT_EQ(record.errorCode(), -1011) << path;
    EXPECT_EQ(record.count("response"), 0) << path;
  }
  // One length said twice is one length.
  serve(cannedReplies({{"/same-length-twice", "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nContent-Length: 2\r\n\r\nok"}}));
  const auto agreed = get("/same-length-twice");
  EXPECT_EQ(agreed.errorCode(), 0);
  EXPECT_EQ(agreed.data, Data("ok"));
  // A first field line folded onto nothing, after a response whose fields
  // the library stored.
  serve(cannedReplies({{"/folded-first-field", "HTTP/1.1 200 OK\r\n X-A: a\r\nContent-Length: 2\r\n\r\nok"}}));
  for (int round = 0; round < 3; ++round) EXPECT_EQ(get("/folded-first-field").errorCode(), -1011);
}

// The connection closes inside the head, once the status line is in: no
// response reaches the delegate, and the task fails as a lost connection.
TEST_F(HostileServer, AHeadCutAfterItsStatusLineIsALostConnection) {
  const std::map<std::string, std::string> replies = {
      {"/after-status-line", "HTTP/1.1 200 OK\r\n"},
      {"/inside-a-field", "HTTP/1.1 200 OK\r\nContent-Type: text/pl"},
      {"/after-a-field", "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n"},
  };
  serve(cannedReplies(replies));
  for (const auto& [path, reply] : replies) {
    const auto record = get(path);
    EXPECT_EQ(record.errorCode(), -1005) << path;
    EXPECT_EQ(record.count("response"), 0) << path;
    EXPECT_TRUE(record.data.empty()) << path;
  }
}

TEST_F(HostileServer, ACompressedBodyCutShortInsideCompleteFramingCannotBeDecoded) {
  const std::string text(100 * 1024, 'x');
  const auto gzip = platform::testing::compressed(text, 15 + 16);
  const auto deflate = platform::testing::compressed(text, 15);
  const auto cut = [](const std::string& body) { return body.substr(0, body.size() - 8); };
  const auto withLength = [](const std::string& coding, const std::string& body) {
    return httpResponse("200 OK", body, "Content-Encoding: " + coding + "\r\n");
  };
  const std::map<std::string, std::string> replies = {
      {"/gzip-cut", withLength("gzip", cut(gzip))},
      {"/deflate-cut", withLength("deflate", cut(deflate))},
      {"/gzip-cut-chunked",
       "HTTP/1.1 200 OK\r\nContent-Encoding: gzip\r\nTransfer-Encoding: chunked\r\n\r\n" + chunked(cut(gzip))},
      {"/gzip-whole", withLength("gzip", gzip)},
      {"/deflate-whole", withLength("deflate", deflate)},
  };
  serve(cannedReplies(replies));
  for (const std::string path : {"/gzip-cut", "/deflate-cut", "/gzip-cut-chunked"}) {
    EXPECT_EQ(get(path).errorCode(), -1016) << path;
  }
  for (const std::string path : {"/gzip-whole", "/deflate-whole"}) {
    const auto record = get(path);
    EXPECT_EQ(record.errorCode(), 0) << path;
    EXPECT_EQ(record.data, Data(text)) << path;
  }
}

TEST_F(HostileServer, ADecompressionBombFailsAtTheSessionsCapWhetherTheAnswerComesAtOnceOrLate) {
  auto configuration = URLSessionConfiguration::ephemeralConfiguration();
  EXPECT_EQ(configuration->maximumBodySizeInMemory(), 256 * 1024 * 1024);
  configuration->setMaximumBodySizeInMemory(16 * 1024 * 1024);
  useConfiguration(configuration);
  serve(cannedReplies({{"/bomb", httpResponse("200 OK", gzipBomb(), "Content-Encoding: gzip\r\n")}}));

  EXPECT_EQ(get("/bomb").errorCode(), -1103);
  // An answer that takes its time leaves the decoded bytes waiting in
  // the transfer, not in the library under it.
  delegate->answerResponsesWith([](ResponseCompletionHandler handler) {
    std::thread([handler = std::move(handler)] {
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
      handler(URLSessionResponseDisposition::allow);
    }).detach();
  });
  const auto late = get("/bomb");
  EXPECT_EQ(late.errorCode(), -1103);
  EXPECT_LE(late.data.size(), 16u * 1024 * 1024);
}

TEST_F(HostileServer, AResponseClaimingHTTP2OnAPlainConnectionIsRefusedAndNoConnectionIsShared) {
  serve([](ScriptedConnection& connection, const ScriptedRequest& request) {
    if (request.path == "/liar") {
      connection.send("HTTP/2 200\r\nContent-Length: 2\r\n\r\nok");
      return ScriptedNext::keepOpen;
    }
    // Answers take a moment, so transfers pile up behind each other.
    const auto id = request.field("X-Request-Id").value_or("none");
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    return connection.send(httpResponse("200 OK", id)) ? ScriptedNext::keepOpen : ScriptedNext::close;
  });
  EXPECT_EQ(get("/liar").errorCode(), -1011);

  std::vector<std::pair<std::string, std::shared_ptr<URLSessionDataTask>>> tasks;
  for (int index = 0; index < 300; ++index) {
    URLRequest request(URL::string(server->baseURL() + "/id"));
    const auto id = std::to_string(index);
    request.setValueForHTTPHeaderField(id, "X-Request-Id");
    tasks.emplace_back(id, session->dataTaskWithRequest(request));
  }
  for (auto& [id, task] : tasks) task->resume();
  for (auto& [id, task] : tasks) {
    const auto record = delegate->waitForCompletion(task);
    EXPECT_EQ(record.errorCode(), 0) << id;
    EXPECT_EQ(record.data, Data(id)) << "a response read by another request";
  }
}

TEST_F(HostileServer, CredentialsFromTheConfigurationStayBehindWhenARedirectLeavesTheOrigin) {
  std::mutex mutex;
  std::string secondHead;
  ScriptedHTTPServer second([&](ScriptedConnection& connection, const ScriptedRequest& request) {
    std::lock_guard lock(mutex);
    secondHead = request.head;
    connection.send(httpResponse("200 OK", "landed"));
    return ScriptedNext::close;
  });
  std::string firstHead;
  serve([&](ScriptedConnection& connection, const ScriptedRequest& request) {
    std::lock_guard lock(mutex);
    firstHead = request.head;
    connection.send(httpResponse("302 Found", "", "Location: " + second.baseURL() + "/landing\r\n"));
    return ScriptedNext::close;
  });
  auto configuration = URLSessionConfiguration::ephemeralConfiguration();
  configuration->setHTTPAdditionalHeaders(HTTPHeaderFields{{"Authorization", "Bearer secret"},
                                                           {"proxy-authorization", "Basic c2VjcmV0"},
                                                           {"Cookie", "session=secret"},
                                                           {"X-Client", "wendalore"}});
  useConfiguration(configuration);

  const auto record = get("/start");
  EXPECT_EQ(record.data, Data("landed"));
  std::lock_guard lock(mutex);
  EXPECT_NE(firstHead.find("Authorization: Bearer secret"), std::string::npos);
  EXPECT_EQ(secondHead.find("secret"), std::string::npos) << secondHead;
  EXPECT_NE(secondHead.find("X-Client: wendalore"), std::string::npos);
}

// A head whose last line starts with a bare CR, which the transfer library
// takes for the head's end and another reader for a folded field: the task
// fails as the body comes, holding none of it, whether the body has a
// length or runs until the connection closes.
TEST_F(HostileServer, AHeadEndingInALineThatStartsWithABareCarriageReturnCannotBeParsed) {
  constexpr std::size_t bodySize = 64 << 20;
  // The server's threads may outlive the test's frame.
  const auto sent = std::make_shared<std::atomic<std::size_t>>(0);
  serve([=](ScriptedConnection& connection, const ScriptedRequest& request) {
    const auto length = request.path == "/sized" ? fmt::format("Content-Length: {}\r\n", bodySize) : "";
    connection.send(fmt::format("HTTP/1.1 200 OK\r\n{}X-A: 1\r\n\rX-Junk: 1\r\n", length));
    const std::string piece(64 * 1024, 'b');
    while (*sent < bodySize && connection.send(piece)) *sent += piece.size();
    return ScriptedNext::close;
  });
  for (const std::string path : {"/sized", "/until-closed"}) {
    *sent = 0;
    const auto record = get(path);
    EXPECT_EQ(record.errorCode(), -1017) << path;
    EXPECT_EQ(record.count("response"), 0) << path;
    // No more than the connection's buffers take.
    EXPECT_LT(*sent, bodySize / 4) << path;
  }
}

// A suspended task reads on through the interim heads before its answer's
// own, whether suspended before they came or between them, and tells its
// delegate nothing; resumed, it delivers the answer head first and whole,
// trailers and all. The server goes on once another request, sent after
// the suspension, has come.
TEST_F(HostileServer, ASuspendedTaskLivesThroughInterimHeads) {
  std::string body;
  for (int line = 0; body.size() < 100'000; ++line) body += fmt::format("{:07x}\n", line);
  const std::string early = "HTTP/1.1 103 Early Hints\r\nLink: </style.css>; rel=preload\r\n\r\n";
  const std::map<std::string, std::string> interims = {
      {"/one", early}, {"/two", early + early}, {"/continue", "HTTP/1.1 100 Continue\r\n\r\n"}};
  // The server's threads may outlive the test's frame.
  const auto suspended = std::make_shared<std::atomic<bool>>(false);
  serve([=](ScriptedConnection& connection, const ScriptedRequest& request) {
    const auto waitForTheSuspension = [&] {
      for (int wait = 0; wait < 500 && !*suspended; ++wait) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    };
    const auto found = interims.find(request.path.substr(0, request.path.find('?')));
    *suspended = *suspended || request.path == "/suspended";
    const bool between = request.path.ends_with("?between");
    if (!between) waitForTheSuspension();
    if (found != interims.end()) connection.send(found->second);
    if (between) waitForTheSuspension();
    connection.send("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n" + chunked(body, "X-Digest: 1\r\n"));
    return ScriptedNext::close;
  });
  for (const auto& [path, heads] : interims) {
    for (const std::string query : {"", "?between"}) {
      SCOPED_TRACE(path + query);
      *suspended = false;
      const auto task = session->dataTaskWithRequest(URLRequest(URL::string(server->baseURL() + path + query)));
      task->resume();
      // Time for the first interim head to come.
      if (!query.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(100));
      task->suspend();
      get("/suspended");
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      EXPECT_EQ(task->response(), nullptr);
      EXPECT_EQ(task->state(), URLSessionTask::State::suspended);
      task->resume();
      const auto record = delegate->waitForCompletion(task);
      EXPECT_EQ(record.errorCode(), 0);
      ASSERT_EQ(record.count("response"), 1);
      EXPECT_EQ(record.events.front(), "response");
      EXPECT_TRUE(record.data.view() == body) << record.data.size() << " bytes";
    }
  }
}
