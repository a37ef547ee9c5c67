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
#include "Wendalore/Views/History/HeaderListView.h"
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

// A failure's reason is read whole at any width of the pane, its lines
// and a word longer than a line, which goes on in the lines below.
TEST(ResponsePage, AFailureReasonIsShownWholeWhateverItsLongestWord) {
  // In a window, as in a pane of the window, whose size it does not set.
  QWidget window;
  auto& page = *new ResponseTabView(&window);
  window.show();
  const QString token = "token=" + QString(400, 'z');
  auto failed = RequestHistoryItem::make(platform::Date::now(), "GET", "http://h/", {}, std::nullopt);
  failed->setError("Requests with GET method cannot have body data:\nalpha=1\nbeta=two words\n" + token.toStdString());
  failed->setIsPending(false);
  page.setItem(failed);
  const auto& status = *page.findChild<QLabel*>();
  const QFontMetrics metrics(status.font());
  for (const int width : {300, 700, 1500}) {
    SCOPED_TRACE(width);
    window.resize(width, 500);
    page.resize(width, 500);
    QApplication::processEvents();
    ASSERT_EQ(page.width(), width);
    EXPECT_LE(status.minimumSizeHint().width(), status.width());
    EXPECT_GE(status.height(), (4 + metrics.horizontalAdvance(token) / status.width()) * metrics.lineSpacing());
    EXPECT_EQ(status.visibleRegion(), QRegion(status.rect()));
  }
}

TEST(HeadersPage, SortedRowsAndTheEmptyState) {
  HeadersTabView page;
  auto item = RequestHistoryItem::make(platform::Date::now(), "GET", "http://h/", {}, std::nullopt);
  page.setItem(item);
  EXPECT_EQ(page.text(), "Request Headers\nNo headers\nResponse Headers\nNo headers");

  page.setItem(answered("", {}));
  EXPECT_EQ(page.text(),
            "Request Headers\nContent-Type\napplication/json\nX-Trace\n1\naccept\n*/*\n"
            "Response Headers\nNo headers");

  // Response headers arriving later show without any action.
  page.item()->setResponseHeaders({{"Server", "x"}});
  QTRY_VERIFY(page.text().endsWith("Response Headers\nServer\nx"));
}

// Down the left edge of the headers page, where no text is drawn: each
// colour and how many pixels it runs.
std::vector<std::pair<QRgb, int>> edgeRuns(QWidget& view) {
  const QImage image = view.grab().toImage();
  std::vector<std::pair<QRgb, int>> runs;
  for (int y = 0; y < image.height(); ++y) {
    const QRgb colour = image.pixel(2, y);
    if (runs.empty() || runs.back().first != colour) runs.emplace_back(colour, 0);
    ++runs.back().second;
  }
  return runs;
}

struct ShownHeaders {
  ShownHeaders() {
    page.resize(400, 500);
    page.show();
    page.setItem(answered("", {{"Server", "x"}}));
  }
  HeadersTabView page;
  HeaderListView& list = *page.findChild<HeaderListView*>();
  const int line = list.rowHeight();
};

TEST(HeadersPage, TitlesSitOnABandOverADividerAndRowsAreSpacedApart) {
  ShownHeaders shown;
  auto& [page, list, line] = shown;
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
  const QPalette palette = list.palette();
  const QRgb base = palette.color(QPalette::Base).rgb();
  const QRgb band = palette.color(QPalette::Button).rgb();
  const QRgb divider = palette.color(QPalette::Mid).rgb();
  // Each header: 6 above its name, 2 between name and value, 6 below.
  const int header = 6 + line + 2 + line + 6;
  // The response's one header, and the page's empty rest, are all base.
  const int rest = list.viewport()->height() - 8 - 2 * (8 + line + 8 + 1) - 3 * header - 1;
  const std::vector<std::pair<QRgb, int>> expected = {{base, 8},    {band, 8 + line + 8}, {divider, 1},
                                                      {base, 3 * header}, {divider, 1}, {band, 8 + line + 8},
                                                      {divider, 1}, {base, rest}};
  EXPECT_EQ(edgeRuns(*list.viewport()), expected);
}

// A drag from a name, and select-all, take the values alone.
TEST(HeadersPage, OnlyValuesAreSelectedAndCopied) {
  ShownHeaders shown;
  auto& [page, list, line] = shown;
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
  QTest::keyClick(&list, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(&list, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QApplication::clipboard()->text(), "application/json\n1\n*/*\nx");

  // From the middle of the name X-Trace to below the last row.
  const int xTrace = 8 + (8 + line + 8 + 1) + (6 + line + 2 + line + 6) + 6 + line / 2;
  QTest::mousePress(list.viewport(), Qt::LeftButton, {}, QPoint(20, xTrace));
  QMouseEvent drag(QEvent::MouseMove, QPointF(20, list.viewport()->height() - 2),
                   list.viewport()->mapToGlobal(QPointF(20, list.viewport()->height() - 2)), Qt::NoButton,
                   Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(list.viewport(), &drag);
  QTest::mouseRelease(list.viewport(), Qt::LeftButton, {}, QPoint(20, list.viewport()->height() - 2));
  EXPECT_EQ(list.selectedText(), "1\n*/*\nx");
  QTest::keyClick(&list, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QApplication::clipboard()->text(), "1\n*/*\nx");

  // Within a name nothing is taken.
  QTest::mousePress(list.viewport(), Qt::LeftButton, {}, QPoint(12, xTrace));
  QMouseEvent within(QEvent::MouseMove, QPointF(40, xTrace), list.viewport()->mapToGlobal(QPointF(40, xTrace)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(list.viewport(), &within);
  QTest::mouseRelease(list.viewport(), Qt::LeftButton, {}, QPoint(40, xTrace));
  EXPECT_EQ(list.selectedText(), "");
}

// The request rows are the record's and stay so once the answer and its
// metrics are in: headers added on the way out are not part of the entry.
TEST(HeadersPage, RequestRowsStayTheRecordedOnesOnceTheAnswerIsIn) {
  HeadersTabView page;
  auto item = RequestHistoryItem::make(platform::Date::now(), "POST", "http://h/items", {{"X-Trace", "1"}}, "{}", true);
  item->setSentContent("application/json", std::nullopt);
  page.setItem(item);
  const QString request = "Request Headers\nX-Trace\n1\n";
  EXPECT_EQ(page.text(), request + "Response Headers\nNo headers");
  auto metrics = std::make_shared<platform::URLSessionTaskMetrics>();
  metrics->transactionMetrics.resize(1);
  item->setMetrics(metrics);
  item->setResponseHeaders({{"Server", "x"}});
  item->setIsPending(false);
  QTRY_COMPARE(page.text(), request + "Response Headers\nServer\nx");
}

// Where the send wrote a field over a row, the row shows what went out.
TEST(HeadersPage, RowsTheSendWroteItselfShowTheValuesThatWentOut) {
  HeadersTabView page;
  auto form = RequestHistoryItem::make(platform::Date::now(), "POST", "http://h/items",
                                       {{"content-type", "text/plain"}, {"Content-Length", "1"}, {"X-Trace", "1"}},
                                       "a=1", true);
  form->setSentContent("application/x-www-form-urlencoded", std::nullopt, 3);
  page.setItem(form);
  EXPECT_EQ(page.text(), "Request Headers\nContent-Length\n3\nContent-Type\napplication/x-www-form-urlencoded\n"
                         "X-Trace\n1\nResponse Headers\nNo headers");

  auto multipart =
      RequestHistoryItem::make(platform::Date::now(), "POST", "http://h/up", {{"Content-Type", "text/plain"}}, "", true);
  multipart->setSentContent("multipart/form-data; boundary=b1", SentForm{"b1", {}}, 0);
  page.setItem(multipart);
  EXPECT_EQ(page.text(), "Request Headers\nContent-Type\nmultipart/form-data; boundary=b1\nResponse Headers\nNo headers");
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
