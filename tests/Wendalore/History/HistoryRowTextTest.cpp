#include <gtest/gtest.h>

#include "Wendalore/History/HistoryRowText.h"

using namespace wendalore;

namespace {

std::shared_ptr<RequestHistoryItem> finished(int status) {
  auto item = RequestHistoryItem::make(platform::Date{}, "GET", "http://localhost/", {}, std::nullopt);
  item->setStatusCode(status);
  item->setIsPending(false);
  return item;
}

TEST(HistoryRowText, BytesAtEveryUnitBoundary) {
  const std::int64_t kb = 1024, mb = kb * kb, gb = mb * kb, tb = gb * kb;
  const std::pair<std::int64_t, const char*> cases[] = {
      {-5, "0 B"},           {0, "0 B"},           {1, "1 B"},          {512, "512 B"},
      {1023, "1023 B"},      {kb, "1.00 KB"},      {10 * kb - 1, "10.00 KB"}, {10 * kb, "10.0 KB"},
      {100 * kb - 1, "100.0 KB"}, {102400, "100 KB"}, {mb - 1, "1024 KB"}, {mb, "1.00 MB"},
      {10 * mb, "10.0 MB"},  {gb - 1, "1024 MB"}, {gb, "1.00 GB"},     {tb - 1, "1024 GB"},
      {tb, "1.00 TB"},       {tb * kb, "1024 TB"}, {tb * kb * 8, "8192 TB"},
  };
  for (const auto& [count, text] : cases) EXPECT_EQ(formatBytes(count), text) << count;
}

TEST(HistoryRowText, DurationsAndTitle) {
  EXPECT_EQ(formatMilliseconds(0.2354), "235ms");
  EXPECT_EQ(formatMilliseconds(0), "0ms");
  EXPECT_EQ(formatMilliseconds(12.5), "12500ms");
  EXPECT_EQ(historyTitle(7), "History (7)");
}

TEST(HistoryRowText, StatusFollowsTheCodeOnceFinished) {
  const std::pair<int, RowStatus> cases[] = {{200, RowStatus::success}, {299, RowStatus::success},
                                             {199, RowStatus::failure}, {300, RowStatus::failure},
                                             {404, RowStatus::failure}, {0, RowStatus::failure}};
  for (const auto& [code, status] : cases) EXPECT_EQ(rowStatus(*finished(code)), status) << code;

  auto pending = RequestHistoryItem::make(platform::Date{}, "GET", "http://localhost/", {}, std::nullopt);
  pending->setStatusCode(200);
  EXPECT_EQ(rowStatus(*pending), RowStatus::pending);
}

TEST(HistoryRowText, BytesAreSummedOverEveryHop) {
  auto item = finished(200);
  EXPECT_EQ(bytesTransferred(*item), std::nullopt);

  auto metrics = std::make_shared<platform::URLSessionTaskMetrics>();
  item->setMetrics(metrics);
  EXPECT_EQ(bytesTransferred(*item), (TransferredBytes{0, 0}));

  platform::URLSessionTaskTransactionMetrics redirect, final;
  redirect.countOfRequestHeaderBytesSent = 100;
  redirect.countOfResponseHeaderBytesReceived = 200;
  redirect.countOfResponseBodyBytesReceived = 5;
  final.countOfRequestHeaderBytesSent = 110;
  final.countOfRequestBodyBytesSent = 40;
  final.countOfResponseHeaderBytesReceived = 210;
  final.countOfResponseBodyBytesReceived = 1000;
  final.countOfResponseBodyBytesAfterDecoding = 9000;
  auto twoHops = std::make_shared<platform::URLSessionTaskMetrics>();
  twoHops->transactionMetrics = {redirect, final};
  item->setMetrics(twoHops);
  EXPECT_EQ(bytesTransferred(*item), (TransferredBytes{250, 1415}));
  item->setDuration(0.2354);
  EXPECT_EQ(rowDetailTexts(*item), (std::vector<std::string>{"200", "235ms", "\u2191 250 B", "\u2193 1.38 KB"}));
  item->setMetrics(nullptr);
  EXPECT_EQ(rowDetailTexts(*item), (std::vector<std::string>{"200", "235ms"}));
  item->setIsPending(true);
  EXPECT_EQ(rowDetailTexts(*item), (std::vector<std::string>{"Pending"}));
}

}  // namespace
