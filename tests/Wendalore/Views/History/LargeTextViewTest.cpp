#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>
#include <QVBoxLayout>

#include "Wendalore/Views/History/HighlightedTextView.h"
#include "Wendalore/Views/History/LargeTextView.h"
#include "Wendalore/Views/History/RequestHistoryDetailView.h"
#include "Wendalore/Views/History/ResponseTabView.h"

using namespace wendalore;

namespace {

constexpr int longWait = 30000;

std::string numberedLines(int count) {
  std::string text;
  for (int line = 0; line < count; ++line) text += "line " + std::to_string(line) + "\n";
  return text;
}

// Pretty-printed JSON of about `bytes` bytes.
std::string jsonBody(std::size_t bytes) {
  std::string body = "[\n";
  for (int index = 0; body.size() < bytes; ++index) {
    body += "  {\n    \"id\": " + std::to_string(index) + ",\n    \"name\": \"item\"\n  },\n";
  }
  return body + "  null\n]";
}

std::shared_ptr<const std::string> shared(std::string text) { return std::make_shared<const std::string>(std::move(text)); }

TEST(HistoryDetail, EveryTabKeepsItsTextInsideAndTheWindowItsSize) {
  QWidget window;
  auto* detail = new RequestHistoryDetailView;
  (new QVBoxLayout(&window))->addWidget(detail);
  window.resize(1000, 700);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  const std::string body = jsonBody(1 << 20);
  auto item = RequestHistoryItem::make(platform::Date::now(), "POST", "http://localhost/items",
                                       {{"Content-Type", "application/json"}}, body, true);
  item->setStatusCode(200);
  item->setResponseHeaders({{"Content-Type", "application/json"}});
  item->setResponseBody(body);
  item->setIsPending(false);
  detail->setItem(item);
  QCoreApplication::processEvents();
  const QSize size = window.size();
  const QSize minimum = window.minimumSize();
  const int minimumHeight = window.minimumSizeHint().height();

  std::map<HistoryTab, QRect> textBoxes;
  for (const auto tab : allHistoryTabs) {
    SCOPED_TRACE(static_cast<int>(tab));
    detail->setSelectedTab(tab);
    if (auto* text = window.findChild<LargeTextView*>()) {
      QTRY_VERIFY_WITH_TIMEOUT(text->isLoaded(), longWait);
      textBoxes[tab] = QRect(text->mapTo(&window, QPoint()), text->size());
      // The body scrolls inside its box.
      if (tab != HistoryTab::headers) {
        EXPECT_GT(text->verticalScrollBar()->maximum(), 0);
      }
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(window.size(), size);
    EXPECT_EQ(window.minimumSize(), minimum);
    EXPECT_LE(window.minimumSizeHint().height(), std::max(minimumHeight, 400));
  }
  // Going from one request text to the other moves nothing.
  EXPECT_EQ(textBoxes[HistoryTab::curl], textBoxes[HistoryTab::rawRequest]);
}

TEST(LargeTextView, KeysScrollAndSelectAndTheSelectionCopies) {
  LargeTextView view;
  view.resize(400, 300);
  view.show();
  view.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&view));
  const std::string text = numberedLines(10000);
  view.setText(shared(text));
  ASSERT_TRUE(view.isLoaded());
  view.setFocus();
  auto* bar = view.verticalScrollBar();
  ASSERT_GT(bar->maximum(), 0);

  QTest::keyClick(&view, Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(bar->value(), bar->maximum());
  QTest::keyClick(&view, Qt::Key_Home, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(bar->value(), 0);
  EXPECT_EQ(view.selectedText().toStdString(), text);
  QTest::keyClick(&view, Qt::Key_PageDown);
  EXPECT_GT(bar->value(), 0);
  QTest::keyClick(&view, Qt::Key_Up, Qt::ShiftModifier);
  EXPECT_EQ(view.selectedText().count(QLatin1Char('\n')), 1);

  QTest::keyClick(&view, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QApplication::clipboard()->text().size(), static_cast<qsizetype>(text.size()));

  // Dragging from the start of the first row to past the end of the second.
  QTest::keyClick(&view, Qt::Key_Home, Qt::ControlModifier);
  auto* viewport = view.viewport();
  const int row = view.rowHeight();
  QTest::mousePress(viewport, Qt::LeftButton, {}, QPoint(1, row / 2));
  QTest::mouseMove(viewport, QPoint(viewport->width() - 1, row + row / 2));
  QTest::mouseRelease(viewport, Qt::LeftButton, {}, QPoint(viewport->width() - 1, row + row / 2));
  EXPECT_EQ(view.selectedText(), "line 0\nline 1");
  QTest::mouseDClick(viewport, Qt::LeftButton, {}, QPoint(3, row / 2));
  EXPECT_EQ(view.selectedText(), "line");
}

// The columns of the pixels painted in the search marks' colour.
std::vector<int> markedColumns(QWidget& view) {
  const QImage image = view.grab().toImage();
  std::vector<int> columns;
  for (int x = 0; x < image.width(); ++x) {
    for (int y = 0; y < image.height(); ++y) {
      if (image.pixelColor(x, y) == QColor(255, 204, 0)) {
        columns.push_back(x);
        break;
      }
    }
  }
  return columns;
}

TEST(LargeTextView, SearchMarksCoverTheOccurrencesInView) {
  LargeTextView view;
  view.resize(400, 100);
  view.show();
  view.setText(shared("abc type\nnone\n"));
  view.setSearch("TYPE");
  EXPECT_EQ(view.searchMatchCount(), 1u);
  const auto columns = markedColumns(view);
  ASSERT_FALSE(columns.empty());
  const QFontMetrics metrics(view.font());
  EXPECT_GE(columns.front(), metrics.horizontalAdvance("abc ") - 1);
  EXPECT_LE(columns.back(), metrics.horizontalAdvance("abc type") + 1);
  view.setSearch("");
  EXPECT_TRUE(markedColumns(view).empty());
}

TEST(HighlightedTextView, TextUnderASearchMarkKeepsItsHighlightedColour) {
  HighlightedTextView view;
  view.resize(400, 100);
  view.show();
  auto item = RequestHistoryItem::make(platform::Date::now(), "GET", "http://h/", {}, std::nullopt);
  item->setResponseHeaders({{"Content-Type", "application/json"}});
  item->setResponseBody("{\"k\": \"MMMMMMMM\"}");
  view.setContent(item);
  ASSERT_TRUE(QTest::qWaitFor([&] { return view.isHighlightingDone(); }, longWait));
  ASSERT_TRUE(view.isHighlighted());
  view.setSearch("mmmm");

  // The string's colour is a green: any pixel of its glyphs is greener than
  // the mark's yellow, which has more red than green, blended with black or
  // not.
  const QImage image = view.grab().toImage();
  const auto columns = markedColumns(view);
  ASSERT_FALSE(columns.empty());
  bool green = false;
  for (const auto x : columns) {
    for (int y = 0; y < image.height(); ++y) {
      const QColor pixel = image.pixelColor(x, y);
      green = green || pixel.green() > pixel.red() + 40;
    }
  }
  EXPECT_TRUE(green) << "the marked text lost its colour";
}

TEST(LargeTextView, ALongSingleLineShowsInRowsOfBoundedLength) {
  LargeTextView view;
  view.resize(400, 300);
  view.show();
  const std::string line(2 << 20, 'x');
  view.setText(shared(line));
  QTRY_VERIFY_WITH_TIMEOUT(view.isLoaded(), longWait);
  EXPECT_GT(view.verticalScrollBar()->maximum(), 1000);
  EXPECT_EQ(view.horizontalScrollBar()->maximum(), 0);
  EXPECT_FALSE(view.grab().isNull());
  EXPECT_EQ(view.text().size(), static_cast<qsizetype>(line.size()));

  // Without wrapping, the pieces of the line scroll sideways.
  view.setWrapping(LargeTextView::Wrapping::none);
  EXPECT_GT(view.horizontalScrollBar()->maximum(), 0);
  view.horizontalScrollBar()->setValue(view.horizontalScrollBar()->maximum());
  EXPECT_FALSE(view.grab().isNull());
}

TEST(ResponsePage, ALargeBodyIsCountedInTheBackgroundAndOnlyTheLastSearchCounts) {
  ResponseTabView page;
  page.resize(600, 400);
  page.show();
  auto item = RequestHistoryItem::make(platform::Date::now(), "GET", "http://h/", {}, std::nullopt);
  const std::string body = numberedLines(100000);
  item->setResponseBody(body);
  page.setItem(item);
  auto& text = page.text();
  QTRY_VERIFY_WITH_TIMEOUT(text.isLoaded(), longWait);
  EXPECT_EQ(text.text().size(), static_cast<qsizetype>(body.size()));

  page.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&page));
  text.setFocus();
  QTest::keyClick(&text, Qt::Key_F, Qt::ControlModifier);
  QTest::keyClicks(&page.searchField(), "LINE 9999");
  QTRY_COMPARE_WITH_TIMEOUT(page.searchCount().text(), QString("11 matches"), longWait);
  EXPECT_EQ(text.searchMatchCount(), 11u);
  QTest::keyClicks(&page.searchField(), "9");
  QTRY_COMPARE_WITH_TIMEOUT(page.searchCount().text(), QString("1 match"), longWait);
}

}  // namespace
