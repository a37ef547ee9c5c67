#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

#include "Wendalore/History/CurlCommand.h"
#include "Wendalore/Views/History/HeadersTabView.h"
#include "Wendalore/Views/History/HighlightedTextView.h"
#include "Wendalore/Views/History/RequestTextTabView.h"
#include "Wendalore/Views/History/ResponseTabView.h"

using namespace wendalore;

namespace {

std::shared_ptr<RequestHistoryItem> answered(std::string body, HeaderDictionary responseHeaders) {
  auto item = RequestHistoryItem::make(platform::Date::now(), "POST", "http://h/items",
                                       {{"accept", "*/*"}, {"X-Trace", "1"}, {"Content-Type", "application/json"}},
                                       "{\"a\": 1}", true);
  item->setStatusCode(404);
  item->setResponseHeaders(std::move(responseHeaders));
  item->setResponseBody(std::move(body));
  item->setIsPending(false);
  return item;
}

// The colour of the first strongly coloured pixel drawn for the text, or
// none while it is drawn in greys only.
QColor colourfulPixel(QWidget& view) {
  const QImage image = view.grab().toImage();
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QColor colour = image.pixelColor(x, y);
      if (colour.hsvSaturation() > 120 && colour.value() > 60) return colour;
    }
  }
  return {};
}

TEST(ResponsePage, ShowsTheBodyPlainThenHighlightedAndFindsText) {
  ResponseTabView page;
  page.resize(600, 400);
  page.show();
  const std::string body = "{\n  \"name\": \"JSON Json json\",\n  \"path\": \"a.b axb\"\n}";
  page.setItem(answered(body, {{"content-type", "application/json"}}));
  EXPECT_EQ(page.findChild<QLabel*>()->text(), "Status: 404");

  auto& text = page.text();
  EXPECT_EQ(text.objectName(), "responseText");
  QTRY_VERIFY(text.isLoaded());
  EXPECT_EQ(text.text().toStdString(), body);
  QTRY_VERIFY_WITH_TIMEOUT(text.isHighlighted(), 20000);
  const auto colourOfName = [&] { return colourfulPixel(text); };
  QTRY_VERIFY(colourOfName().isValid());

  // A dark palette takes the dark theme's colours.
  const QColor light = colourOfName();
  QPalette dark = text.palette();
  dark.setColor(QPalette::Base, Qt::black);
  text.setPalette(dark);
  EXPECT_EQ(text.themeName(), "atom-one-dark");
  QTRY_VERIFY_WITH_TIMEOUT(colourOfName().isValid() && colourOfName() != light, 20000);

  page.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&page));
  text.setFocus();
  QTest::keyClick(&text, Qt::Key_F, Qt::ControlModifier);
  ASSERT_TRUE(page.searchField().isVisible());
  QTest::keyClicks(&page.searchField(), "json");
  EXPECT_EQ(text.searchMatchCount(), 3u);
  EXPECT_EQ(page.searchCount().text(), "3 matches");
  page.searchField().clear();
  QTest::keyClicks(&page.searchField(), "a.b");
  EXPECT_EQ(text.searchMatchCount(), 1u);
  QTest::keyClick(&page.searchField(), Qt::Key_Escape);
  EXPECT_FALSE(page.searchField().isVisible());
  EXPECT_EQ(text.searchMatchCount(), 0u);
}

TEST(HeadersPage, SortedRowsAndTheEmptyState) {
  HeadersTabView page;
  auto item = RequestHistoryItem::make(platform::Date::now(), "GET", "http://h/", {}, std::nullopt);
  page.setItem(item);
  EXPECT_EQ(page.text(), "Request Headers\nNo headers\n\nResponse Headers\nNo headers");

  page.setItem(answered("", {}));
  EXPECT_EQ(page.text(),
            "Request Headers\nContent-Type\napplication/json\nX-Trace\n1\naccept\n*/*\n\n"
            "Response Headers\nNo headers");

  // Response headers arriving later show without any action.
  page.item()->setResponseHeaders({{"Server", "x"}});
  QTRY_VERIFY(page.text().endsWith("Response Headers\nServer\nx"));
}

// Once the send went out, the request rows are the fields the server
// received, the defaults no row set among them.
TEST(HeadersPage, RequestRowsAreTheFieldsThatWentOnTheWire) {
  HeadersTabView page;
  page.setItem(answered("", {}));
  platform::URLSessionTaskTransactionMetrics transaction;
  transaction.sentHeaderFields =
      platform::HTTPHeaderFields{{"Host", "h"}, {"User-Agent", "app/1"}, {"accept", "*/*"}, {"X-Trace", "1"}};
  auto metrics = std::make_shared<platform::URLSessionTaskMetrics>();
  metrics->transactionMetrics = {transaction};
  page.item()->setMetrics(metrics);
  QTRY_COMPARE(page.text(), "Request Headers\nHost\nh\nUser-Agent\napp/1\nX-Trace\n1\naccept\n*/*\n\n"
                            "Response Headers\nNo headers");
}

TEST(RequestTextPages, CopyPutsTheShownTextOnTheClipboard) {
  const auto item = answered("", {});
  std::unique_ptr<RequestTextTabView> curl(RequestTextTabView::curl());
  curl->setItem(item);
  EXPECT_EQ(curl->text().toStdString(), curlCommand(*item));
  auto* copy = curl->findChild<QPushButton*>("copyButton");
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->text(), "Copy to Clipboard");
  QApplication::clipboard()->setText("before");
  QTest::mouseClick(copy, Qt::LeftButton);
  QTest::mouseClick(copy, Qt::LeftButton);
  EXPECT_EQ(QApplication::clipboard()->text().toStdString(), curlCommand(*item));

  std::unique_ptr<RequestTextTabView> raw(RequestTextTabView::rawRequest());
  raw->setItem(item);
  EXPECT_TRUE(raw->text().startsWith("POST /items HTTP/1.1\n"));
}

}  // namespace
