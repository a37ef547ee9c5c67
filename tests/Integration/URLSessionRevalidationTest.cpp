#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "Platform/URLLoading/URLCache.h"
#include "tests/Integration/DecidingSessionTest.h"
#include "tests/servers/ScriptedHTTPServer.h"

using namespace platform;
using testservers::httpResponse;
using testservers::ScriptedConnection;
using testservers::ScriptedHTTPServer;
using testservers::ScriptedNext;
using testservers::ScriptedRequest;
using FetchType = URLSessionTaskTransactionMetrics::ResourceFetchType;

namespace {

constexpr auto lastModified = "Sat, 01 Jan 2022 00:00:00 GMT";

// One resource at /doc whose current version the test sets. A request
// listing the current ETag (weak or strong), or the Last-Modified date, gets a 304 with the
// version's revision field; any other gets the body in full. Every
// request is kept, to count hops and read the conditions they carried.
class VersionedServer {
 public:
  VersionedServer()
      : server_([this](ScriptedConnection& connection, const ScriptedRequest& request) {
          connection.send(answer(request));
          return ScriptedNext::keepOpen;
        }) {}

  void publish(std::string etag, std::string body, std::string cacheControl, std::string revision) {
    std::lock_guard lock(mutex_);
    version_ = {std::move(etag), std::move(body), std::move(cacheControl), std::move(revision)};
  }

  URLRequest request(const std::string& path = "/doc") const {
    return URLRequest(URL::string(server_.baseURL() + path));
  }

  std::vector<ScriptedRequest> received() const {
    std::lock_guard lock(mutex_);
    return received_;
  }

  std::size_t connectionCount() const { return server_.connectionCount(); }

 private:
  struct Version {
    std::string etag;
    std::string body;
    std::string cacheControl;
    std::string revision;
  };

  std::string answer(const ScriptedRequest& request) {
    std::lock_guard lock(mutex_);
    received_.push_back(request);
    const auto fields = "Cache-Control: " + version_.cacheControl + "\r\nX-Revision: " + version_.revision + "\r\n";
    const auto tags = request.field("If-None-Match");
    const bool etagMatches = !version_.etag.empty() && tags && tags->find(version_.etag) != std::string::npos;
    const bool dateMatches = version_.etag.empty() && request.field("If-Modified-Since") == lastModified;
    if (etagMatches || dateMatches) return "HTTP/1.1 304 Not Modified\r\n" + fields + "\r\n";
    const auto validator =
        version_.etag.empty() ? std::string("Last-Modified: ") + lastModified : "ETag: " + version_.etag;
    return httpResponse("200 OK", version_.body, fields + validator + "\r\nContent-Type: text/plain\r\n");
  }

  mutable std::mutex mutex_;
  Version version_;
  std::vector<ScriptedRequest> received_;
  ScriptedHTTPServer server_;
};

class URLSessionRevalidation : public DecidingSessionTest {
 protected:
  static std::string field(const TaskRecord& record, std::string_view name) {
    return std::dynamic_pointer_cast<HTTPURLResponse>(record.response)->valueForHTTPHeaderField(name).value_or("");
  }

  TaskRecord run(URLRequest request, URLRequest::CachePolicy policy = URLRequest::CachePolicy::useProtocolCachePolicy) {
    request.setCachePolicy(policy);
    return DecidingSessionTest::run(request);
  }

  VersionedServer server;
};

}  // namespace

TEST_F(URLSessionRevalidation, AStaleResponseWithAnETagIsConfirmedAndAnsweredFromTheCache) {
  server.publish("\"v1\"", "first body", "max-age=0", "1");
  ASSERT_EQ(run(server.request()).data.view(), "first body");

  // The server confirms the stored body and gives it a lifetime.
  server.publish("\"v1\"", "", "max-age=600", "2");
  const auto revalidated = run(server.request());
  ASSERT_EQ(server.received().size(), 2u);
  EXPECT_EQ(server.received()[1].field("If-None-Match"), "\"v1\"");
  EXPECT_FALSE(server.received()[1].field("If-Modified-Since"));
  EXPECT_EQ(revalidated.errorCode(), 0);
  EXPECT_EQ(statusCode(revalidated), 200);
  EXPECT_EQ(revalidated.data.view(), "first body");
  // The 304's fields replace the stored ones; those about the body stay.
  EXPECT_EQ(field(revalidated, "X-Revision"), "2");
  EXPECT_EQ(field(revalidated, "Content-Length"), "10");
  EXPECT_EQ(field(revalidated, "Content-Type"), "text/plain");
  EXPECT_EQ(fetchType(revalidated), FetchType::networkLoad);

  // Now fresh by the 304's lifetime: no hop at all.
  const auto fresh = run(server.request());
  EXPECT_EQ(server.received().size(), 2u);
  EXPECT_EQ(fresh.data.view(), "first body");
  EXPECT_EQ(field(fresh, "X-Revision"), "2");
  EXPECT_EQ(fetchType(fresh), FetchType::localCache);
}

TEST_F(URLSessionRevalidation, ANoCacheResponseWithLastModifiedIsRevalidatedEveryTime) {
  server.publish("", "dated body", "no-cache, max-age=600", "1");
  run(server.request());
  for (const auto* revision : {"2", "3"}) {
    server.publish("", "", "no-cache, max-age=600", revision);
    const auto record = run(server.request());
    EXPECT_EQ(record.data.view(), "dated body");
    EXPECT_EQ(field(record, "X-Revision"), revision);
    EXPECT_EQ(server.received().back().field("If-Modified-Since"), lastModified);
    EXPECT_FALSE(server.received().back().field("If-None-Match"));
  }
  EXPECT_EQ(server.received().size(), 3u);
}

TEST_F(URLSessionRevalidation, ReloadRevalidatingAsksEvenWhileFresh) {
  server.publish("\"v1\"", "kept", "max-age=600", "1");
  run(server.request());
  server.publish("\"v1\"", "", "max-age=600", "2");
  const auto record = run(server.request(), URLRequest::CachePolicy::reloadRevalidatingCacheData);
  ASSERT_EQ(server.received().size(), 2u);
  EXPECT_EQ(server.received()[1].field("If-None-Match"), "\"v1\"");
  EXPECT_EQ(record.data.view(), "kept");
  EXPECT_EQ(field(record, "X-Revision"), "2");
  // Nothing stored: a plain load, without conditions.
  session->configuration()->urlCache()->removeAllCachedResponses();
  run(server.request(), URLRequest::CachePolicy::reloadRevalidatingCacheData);
  EXPECT_FALSE(server.received().back().field("If-None-Match"));
  EXPECT_EQ(server.received().size(), 3u);
}

TEST_F(URLSessionRevalidation, ACallersOwnConditionsGoAsTheyAreAndGetTheServersAnswerAsItCame) {
  server.publish("\"v1\"", "stored", "max-age=0", "1");
  run(server.request());
  const auto cache = session->configuration()->urlCache();
  const auto stored = cache->cachedResponse(server.request());

  auto own = server.request();
  own.setValueForHTTPHeaderField("\"v0\", W/\"v1\"", "If-None-Match");
  const auto confirmed = run(own);
  EXPECT_EQ(server.received().back().field("If-None-Match"), "\"v0\", W/\"v1\"");
  // The 304 is the answer to the caller's question, not a cue for the store.
  EXPECT_EQ(statusCode(confirmed), 304);
  EXPECT_TRUE(confirmed.data.empty());
  EXPECT_EQ(cache->cachedResponse(server.request()), stored);

  // A 304 for a version the cache does not hold is the caller's own.
  server.publish("\"v9\"", "", "max-age=0", "2");
  auto other = server.request();
  other.setValueForHTTPHeaderField("\"v9\"", "If-None-Match");
  const auto passed = run(other);
  EXPECT_EQ(statusCode(passed), 304);
  EXPECT_TRUE(passed.data.empty());

  // Neither is a full answer to such a request stored, nor a fresh stored
  // response used for one.
  server.publish("\"v2\"", "second", "max-age=600", "3");
  EXPECT_EQ(run(other).data.view(), "second");
  EXPECT_EQ(cache->cachedResponse(server.request()), stored);
  EXPECT_EQ(run(server.request()).data.view(), "second");
  auto current = server.request();
  current.setValueForHTTPHeaderField("\"v2\"", "If-None-Match");
  const auto asked = run(current);
  EXPECT_EQ(statusCode(asked), 304);
  EXPECT_EQ(fetchType(asked), FetchType::networkLoad);
  EXPECT_EQ(server.received().size(), 6u);
  EXPECT_EQ(delegate->cacheOffers().size(), 2u);
}

TEST_F(URLSessionRevalidation, ARenewedResponseIsOfferedAndOnlyWhatTheDelegateAnswersIsStored) {
  server.publish("\"v1\"", "first body", "max-age=0", "1");
  run(server.request());
  delegate->answerCacheOffersWith([](const std::shared_ptr<CachedURLResponse>& proposed) {
    return CachedURLResponse::make(proposed->response(), Data(std::string_view("as answered")));
  });

  server.publish("\"v1\"", "", "max-age=600", "2");
  const auto renewed = run(server.request());
  EXPECT_EQ(renewed.data.view(), "first body");
  ASSERT_EQ(delegate->cacheOffers().size(), 2u);
  const auto offer = delegate->cacheOffers()[1];
  EXPECT_EQ(offer->data().view(), "first body");
  EXPECT_EQ(std::dynamic_pointer_cast<HTTPURLResponse>(offer->response())->valueForHTTPHeaderField("X-Revision"), "2");
  const auto fresh = run(server.request());
  EXPECT_EQ(fetchType(fresh), FetchType::localCache);
  EXPECT_EQ(fresh.data.view(), "as answered");

  // Answering nothing removes what the 304 would have renewed.
  delegate->answerCacheOffersWith([](const std::shared_ptr<CachedURLResponse>&) { return nullptr; });
  run(server.request(), URLRequest::CachePolicy::reloadRevalidatingCacheData);
  EXPECT_EQ(delegate->cacheOffers().size(), 3u);
  EXPECT_EQ(session->configuration()->urlCache()->currentMemoryUsage(), 0u);
  run(server.request());
  EXPECT_FALSE(server.received().back().field("If-None-Match"));
  EXPECT_EQ(server.received().size(), 4u);
}

TEST_F(URLSessionRevalidation, ARequestThatMustNotLoadSendsNothingWhateverItStates) {
  constexpr auto offline = URLRequest::CachePolicy::returnCacheDataDontLoad;
  server.publish("\"v1\"", "stored", "max-age=0", "1");
  ASSERT_EQ(run(server.request()).data.view(), "stored");
  ASSERT_EQ(server.connectionCount(), 1u);

  // Stale, and asking about another version, yet what is stored answers.
  auto own = server.request();
  own.setValueForHTTPHeaderField("\"v0\"", "If-None-Match");
  const auto answered = run(own, offline);
  EXPECT_EQ(answered.errorCode(), 0);
  EXPECT_EQ(statusCode(answered), 200);
  EXPECT_EQ(answered.data.view(), "stored");
  EXPECT_EQ(fetchType(answered), FetchType::localCache);

  auto dated = server.request("/elsewhere");
  dated.setValueForHTTPHeaderField(lastModified, "If-Modified-Since");
  dated.setCachePolicy(offline);
  auto posted = server.request();
  posted.setHTTPMethod("POST");
  posted.setHTTPBody(Data(std::string_view("form")));
  posted.setCachePolicy(offline);
  auto uploaded = posted;
  uploaded.setHTTPBody(std::nullopt);
  auto downloaded = server.request();
  downloaded.setCachePolicy(offline);
  const std::vector<std::pair<std::string, std::shared_ptr<URLSessionTask>>> tasks{
      {"conditional, nothing stored", session->dataTaskWithRequest(dated)},
      {"post", session->dataTaskWithRequest(posted)},
      {"upload", session->uploadTaskWithRequestFromData(uploaded, Data(std::string_view("form")))},
      {"download", session->downloadTaskWithRequest(downloaded)}};
  for (const auto& [kind, task] : tasks) {
    const auto missing = DecidingSessionTest::run(task);
    EXPECT_EQ(missing.errorCode(), -1008) << kind;
    EXPECT_TRUE(missing.metrics->transactionMetrics.empty()) << kind;
  }
  EXPECT_EQ(server.received().size(), 1u);
  EXPECT_EQ(server.connectionCount(), 1u);
}
