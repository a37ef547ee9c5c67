#include <gtest/gtest.h>

#include "Wendalore/Model/RequestHistoryItem.h"

namespace wendalore {
namespace {

std::shared_ptr<RequestHistoryItem> makeItem(HeaderDictionary responseHeaders = {}) {
  auto item = RequestHistoryItem::make(platform::Date{1000}, "GET", "https://example.invalid", {{"Accept", "*/*"}},
                                       std::nullopt);
  item->setResponseHeaders(std::move(responseHeaders));
  return item;
}

TEST(RequestHistoryItemTest, ANewRecordIsPendingWithNothingReceived) {
  auto item = makeItem();
  EXPECT_EQ(item->statusCode(), 0);
  EXPECT_EQ(item->duration(), 0);
  EXPECT_TRUE(item->responseHeaders().empty());
  EXPECT_EQ(item->responseBody(), "");
  EXPECT_EQ(item->metrics(), nullptr);
  EXPECT_TRUE(item->isPending());
  EXPECT_EQ(item->requestBody(), std::nullopt);
  EXPECT_EQ(item->requestHeaders(), (HeaderDictionary{{"Accept", "*/*"}}));
}

TEST(RequestHistoryItemTest, OnlyANewValueNotifiesAndOnlyForItsField) {
  auto item = makeItem();
  std::vector<std::string> changed;
  auto token = item->observe([&](std::string_view field) { changed.emplace_back(field); });
  item->setStatusCode(0);
  item->setResponseHeaders({});
  item->setMetrics(nullptr);
  EXPECT_TRUE(changed.empty());

  item->setStatusCode(200);
  item->setStatusCode(200);
  EXPECT_EQ(changed, std::vector<std::string>{"statusCode"});

  auto metrics = std::make_shared<const platform::URLSessionTaskMetrics>();
  item->setMetrics(metrics);
  item->setMetrics(metrics);
  item->setMetrics(std::make_shared<const platform::URLSessionTaskMetrics>());
  item->setResponseHeaders({{"A", "1"}});
  item->setResponseHeaders({{"A", "1"}});
  item->setIsPending(false);
  EXPECT_EQ(changed, (std::vector<std::string>{"statusCode", "metrics", "metrics", "responseHeaders", "isPending"}));
}

TEST(RequestHistoryItemTest, ResponseLanguageFollowsTheContentType) {
  EXPECT_EQ(makeItem({{"content-type", "Application/JSON; charset=utf-8"}})->responseLanguage(), "json");
  EXPECT_EQ(makeItem({{"Content-Type", "text/html"}})->responseLanguage(), "xml");
  EXPECT_EQ(makeItem({{"Content-Type", "text/xml"}})->responseLanguage(), "xml");
  EXPECT_EQ(makeItem({{"Content-Type", "text/html, text/css"}})->responseLanguage(), "xml");
  EXPECT_EQ(makeItem({{"Content-Type", "text/css"}})->responseLanguage(), "css");
  EXPECT_EQ(makeItem({{"Content-Type", "application/javascript"}})->responseLanguage(), "javascript");
  EXPECT_EQ(makeItem({{"Content-Type", "image/png"}})->responseLanguage(), "plaintext");
  EXPECT_EQ(makeItem({{"Content-Type-Options", "application/json"}})->responseLanguage(), "plaintext");
  EXPECT_EQ(makeItem()->responseLanguage(), "plaintext");
}

TEST(RequestHistoryItemTest, RecordsAreEqualOnlyByTheirId) {
  auto first = makeItem();
  auto second = makeItem();
  EXPECT_EQ(*first, *first);
  EXPECT_FALSE(*first == *second);
  EXPECT_EQ(std::hash<RequestHistoryItem>{}(*first), std::hash<platform::UUID>{}(first->id()));
}

}  // namespace
}  // namespace wendalore
