#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QSignalSpy>
#include <QSplitter>
#include <QTest>

#include "Wendalore/Views/History/HistoryListModel.h"
#include "Wendalore/Views/History/HistoryStyle.h"
#include "Wendalore/Views/History/HistoryRowDelegate.h"
#include "Wendalore/Views/History/HistorySelection.h"
#include "Wendalore/Views/History/MetricsTabView.h"
#include "Wendalore/Views/History/RequestHistoryDetailView.h"
#include "Wendalore/Views/History/RequestHistoryListView.h"
#include "Wendalore/Views/History/RequestHistoryView.h"
#include "Wendalore/Views/History/ResponseTabView.h"
#include "Wendalore/Views/History/WaterfallBar.h"

using namespace wendalore;

namespace {

// A history that the test fills, in the view model's manner: newest first,
// announcing each change.
struct History {
  std::vector<std::shared_ptr<RequestHistoryItem>> items;
  platform::ObserverList<> changed;

  HistoryFeed feed() {
    return {[this] { return items; }, [this](std::function<void()> observer) { return changed.add(observer); }};
  }
  std::shared_ptr<RequestHistoryItem> send(std::string url) {
    auto item = RequestHistoryItem::make(platform::Date::now(), "GET", std::move(url), {}, std::nullopt);
    items.insert(items.begin(), item);
    changed.notify();
    return item;
  }
};

// The history pane over a history the test fills, shown at `size`.
struct ShownPane {
  explicit ShownPane(QSize size) {
    view.resize(size);
    view.show();
  }
  History history;
  HistorySelection selection;
  RequestHistoryView view{history.feed(), selection};
};

QString labelText(const QWidget& root, const char* name) {
  const auto* label = root.findChild<QLabel*>(name);
  return label ? label->text() : QString();
}

void clickRow(QListView& list, int row) {
  QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualRect(list.model()->index(row, 0)).center());
}

TEST(HistoryPane, ListAndDetailFollowHistoryAndSelection) {
  ShownPane pane({800, 400});
  auto& [history, selection, view] = pane;

  EXPECT_EQ(labelText(view, "historyTitle"), "History (0)");
  EXPECT_TRUE(view.list().showsEmptyState());
  EXPECT_FALSE(view.showsDetail());

  const auto first = history.send("http://localhost/first");
  EXPECT_EQ(labelText(view, "historyTitle"), "History (1)");
  EXPECT_FALSE(view.list().showsEmptyState());
  EXPECT_FALSE(view.showsDetail());

  clickRow(view.list().list(), 0);
  EXPECT_EQ(selection.item(), first);
  EXPECT_TRUE(view.showsDetail());
  EXPECT_NE(dynamic_cast<ResponseTabView*>(view.detail().page()), nullptr);

  // A new send goes on top; the selection stays with its entry.
  history.send("http://localhost/second");
  EXPECT_EQ(labelText(view, "historyTitle"), "History (2)");
  EXPECT_EQ(selection.item(), first);
  const auto rows = view.list().list().selectionModel()->selectedRows();
  ASSERT_EQ(rows.size(), 1);
  EXPECT_EQ(rows.front().row(), 1);

  // An entry dropped from the history stays selected and shown.
  history.items.pop_back();
  history.changed.notify();
  EXPECT_EQ(selection.item(), first);
  EXPECT_TRUE(view.list().list().selectionModel()->selectedRows().isEmpty());
  EXPECT_TRUE(view.showsDetail());
}

// An empty history is the list alone, over the whole width; the split view
// with its (transparent) detail pane comes with the first send.
TEST(HistoryPane, AnEmptyHistoryIsTheListAloneAcrossThePane) {
  ShownPane pane({900, 300});
  auto& [history, selection, view] = pane;
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
  auto* detailPane = view.detail().parentWidget();
  EXPECT_FALSE(detailPane->isVisible());
  EXPECT_EQ(view.list().width(), view.width());

  history.send("http://localhost/first");
  QApplication::processEvents();
  EXPECT_TRUE(detailPane->isVisible());
  EXPECT_FALSE(view.showsDetail());
  EXPECT_GE(view.list().width(), 100);
  EXPECT_GE(detailPane->width(), 100);
  EXPECT_EQ(view.list().width() + detailPane->width() + view.findChild<QSplitter*>()->handleWidth(), view.width());
}

TEST(HistoryPane, RowsRepaintWhenTheirEntryChanges) {
  HistoryListModel model;
  auto item = RequestHistoryItem::make(platform::Date::now(), "GET", "http://h/", {}, std::nullopt);
  model.setHistory({item});
  QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
  item->setStatusCode(200);
  item->setIsPending(false);
  EXPECT_EQ(changed.count(), 2);
}

TEST(HistoryPane, TabsKeepTheirPlaceAcrossEntries) {
  RequestHistoryDetailView detail;
  auto pending = RequestHistoryItem::make(platform::Date::now(), "GET", "http://h/", {}, std::nullopt);
  detail.setItem(pending);
  const QStringList titles{"Response", "Headers", "Metrics", "cUrl", "Raw Request"};
  for (const auto& title : titles) ASSERT_NE(detail.findChild<QPushButton*>(title), nullptr) << title.toStdString();

  QTest::mouseClick(detail.findChild<QPushButton*>("Metrics"), Qt::LeftButton);
  ASSERT_NE(dynamic_cast<MetricsTabView*>(detail.page()), nullptr);
  EXPECT_EQ(labelText(detail, "Total Duration"), "0.000s");
  EXPECT_EQ(detail.findChild<QLabel*>("Protocol"), nullptr);
  EXPECT_EQ(detail.findChild<QWidget*>("waterfallCard"), nullptr);

  auto done = RequestHistoryItem::make(platform::Date::now(), "GET", "http://h/", {}, std::nullopt);
  detail.setItem(done);
  EXPECT_EQ(detail.selectedTab(), HistoryTab::metrics);

  // The response arrives while the page is shown.
  platform::URLSessionTaskTransactionMetrics transaction;
  transaction.fetchStartDate = platform::Date{10};
  transaction.requestStartDate = platform::Date{10.01};
  transaction.requestEndDate = platform::Date{10.02};
  transaction.responseStartDate = platform::Date{10.1};
  transaction.responseEndDate = platform::Date{10.2};
  transaction.networkProtocolName = "h2";
  auto metrics = std::make_shared<platform::URLSessionTaskMetrics>();
  metrics->transactionMetrics = {transaction};
  done->setDuration(1.23456);
  done->setMetrics(metrics);
  done->setIsPending(false);
  QTRY_VERIFY(detail.findChild<QWidget*>("waterfallCard") != nullptr);
  EXPECT_EQ(labelText(detail, "Total Duration"), "1.235s");
  EXPECT_EQ(labelText(detail, "Protocol"), "h2");
  EXPECT_EQ(labelText(detail, "Reused Connection"), "No");
  EXPECT_EQ(detail.findChildren<WaterfallBar*>().size(), 4);
}

TEST(HistoryPane, WaterfallBarsAreScaledAndNeverThinnerThanTwoPixels) {
  WaterfallBar wide({"Waiting", PhaseColor::cyan, 0.05, 0.1}, 0.2, 50);
  wide.resize(90 + 8 + 200 + 8 + 50, 16);
  EXPECT_DOUBLE_EQ(wide.barRect().left(), 98 + 50);
  EXPECT_DOUBLE_EQ(wide.barRect().width(), 100);
  WaterfallBar thin({"DNS Lookup", PhaseColor::purple, 0, 0.0004}, 0.2, 50);
  thin.resize(wide.size());
  EXPECT_DOUBLE_EQ(thin.barRect().width(), 2);
}

// Lengths of seconds to minutes are written whole, beside tracks that line
// up, in the pane at the window's default size and squeezed to its least.
TEST(HistoryPane, WaterfallLengthsAreShownWholeAtAnyPaneSize) {
  platform::URLSessionTaskTransactionMetrics transaction;
  transaction.fetchStartDate = platform::Date{0};
  transaction.requestStartDate = platform::Date{0.0004};
  transaction.requestEndDate = platform::Date{10.0004};
  transaction.responseStartDate = platform::Date{110.0004};
  transaction.responseEndDate = platform::Date{710.0004};
  auto metrics = std::make_shared<platform::URLSessionTaskMetrics>();
  metrics->transactionMetrics = {transaction};

  for (const QSize size : {QSize(930, 300), QSize(200, 300)}) {
    ShownPane pane(size);
    auto& [history, selection, view] = pane;
    const auto sent = history.send("http://127.0.0.1:18080/delay/10");
    sent->setDuration(710.0004);
    sent->setMetrics(metrics);
    sent->setIsPending(false);
    selection.setItem(sent);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    QTest::mouseClick(view.findChild<QPushButton*>("Metrics"), Qt::LeftButton);
    QTRY_VERIFY(view.findChild<QWidget*>("waterfallCard") != nullptr);
    QApplication::processEvents();

    const auto bars = view.findChildren<WaterfallBar*>();
    ASSERT_EQ(bars.size(), 4);
    const QFontMetrics font(monospacedCaptionFont());
    for (const auto* bar : bars) {
      const auto text = QString::fromStdString(formatSeconds(bar->phase().length));
      const QRectF length = bar->lengthRect();
      EXPECT_GE(length.width(), font.horizontalAdvance(text)) << text.toStdString() << " at " << size.width();
      EXPECT_LE(length.right(), bar->width()) << text.toStdString();
      EXPECT_GE(bar->width(), bar->minimumSizeHint().width()) << text.toStdString();
      EXPECT_EQ(length.left(), bars.front()->lengthRect().left()) << text.toStdString();
    }
    EXPECT_EQ(formatSeconds(bars[1]->phase().length), "10.000s");
    EXPECT_EQ(formatSeconds(bars[3]->phase().length), "600.000s");
  }
}

// The history pane as the window shows it at its default size.
TEST(HistoryPane, AtTheDefaultSizeRowsShowTheirWholeOutcomeAndTheEmptyStateItsWholeHint) {
  ShownPane pane({930, 300});
  auto& [history, selection, view] = pane;
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
  for (auto* label : view.findChildren<QLabel*>()) {
    if (label->text() != "Send a request to see it here" || !label->isVisible()) continue;
    EXPECT_GE(label->contentsRect().width(), label->fontMetrics().horizontalAdvance(label->text()));
  }

  platform::URLSessionTaskTransactionMetrics transaction;
  transaction.countOfRequestHeaderBytesSent = 420;
  transaction.countOfRequestBodyBytesSent = 960 * 1024;
  transaction.countOfResponseHeaderBytesReceived = 380;
  transaction.countOfResponseBodyBytesReceived = 870 * 1024;
  auto metrics = std::make_shared<platform::URLSessionTaskMetrics>();
  metrics->transactionMetrics = {transaction};
  const auto sent = history.send("http://127.0.0.1:18080/anything?a=1&b=two");
  sent->setStatusCode(200);
  sent->setDuration(1.234);
  sent->setMetrics(metrics);
  sent->setIsPending(false);
  QApplication::processEvents();

  const auto& list = view.list().list();
  const QStringList shown = HistoryRowDelegate::shownDetails(*sent, list.viewport()->width());
  ASSERT_EQ(shown.size(), 4) << list.viewport()->width();
  EXPECT_FALSE(shown.back().endsWith(QChar(0x2026))) << shown.back().toStdString();
}

TEST(HistoryPane, ASendWithoutResponseKeepsTellingWhyInItsRow) {
  const std::string why = "URLSessionTask failed with error: Could not connect to the server.";
  auto failed = RequestHistoryItem::make(platform::Date::now(), "GET", "http://127.0.0.1:1/", {}, std::nullopt);
  failed->setDuration(0.001);
  failed->setMetrics(std::make_shared<platform::URLSessionTaskMetrics>());
  failed->setError(why);
  EXPECT_EQ(HistoryRowDelegate::shownDetails(*failed, 2000), QStringList{"Pending"});
  failed->setIsPending(false);
  EXPECT_EQ(HistoryRowDelegate::shownDetails(*failed, 2000), (QStringList{"0", "1ms", QString::fromStdString(why)}));
  const QStringList narrow = HistoryRowDelegate::shownDetails(*failed, 300);
  ASSERT_EQ(narrow.size(), 3);
  EXPECT_TRUE(narrow.back().endsWith(QChar(0x2026)));

  // A notice of how the send was made comes after why it failed.
  const QString notice = "Sent the body as last saved: the editor did not answer within 3 s.";
  failed->setNotice(notice.toStdString());
  EXPECT_EQ(HistoryRowDelegate::shownDetails(*failed, 2000),
            (QStringList{"0", "1ms", QString::fromStdString(why), notice}));
  EXPECT_EQ(HistoryRowDelegate::shownDetails(*failed, 300).mid(0, 2), narrow.mid(0, 2));
  EXPECT_TRUE(HistoryRowDelegate::shownDetails(*failed, 300).value(2).startsWith("URLSessionTask"));
  failed->setNotice(std::nullopt);
  // The lines of a reason read apart on the row's one line.
  failed->setError("Invalid URLRequest: Requests with GET method cannot have body data:\nalpha=1\r\nbeta=2");
  EXPECT_TRUE(HistoryRowDelegate::shownDetails(*failed, 2000).back().endsWith("data: alpha=1 beta=2"));
  failed->setError(why);

  HistoryListModel model;
  model.setHistory({failed});
  EXPECT_EQ(model.data(model.index(0), Qt::ToolTipRole).toString().toStdString(), why);
  failed->setError(std::nullopt);
  EXPECT_FALSE(model.data(model.index(0), Qt::ToolTipRole).isValid());
  EXPECT_EQ(HistoryRowDelegate::shownDetails(*failed, 2000), (QStringList{"0", "1ms", "\u2191 0 B", "\u2193 0 B"}));
}

// A send made otherwise than the user saw says so on its row, after its
// status and before the numbers that a narrow row drops first, drawn in
// orange, never as a failure; the tip tells it whole.
TEST(HistoryPane, ANoticeOfHowASendWasMadeShowsOnItsRow) {
  const QString notice = "Sent the body as last saved: the editor did not answer within 3 s.";
  ShownPane pane({930, 300});
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&pane.view));
  const auto& list = pane.view.list().list();
  for (const bool withNotice : {false, true}) {
    SCOPED_TRACE(withNotice);
    auto sent = RequestHistoryItem::make(platform::Date::now(), "POST", "http://127.0.0.1:9/", {}, "{}");
    if (withNotice) sent->setNotice(notice.toStdString());
    pane.history.items = {sent};
    pane.history.changed.notify();
    const QStringList told = withNotice ? QStringList{notice} : QStringList{};
    EXPECT_EQ(HistoryRowDelegate::shownDetails(*sent, 2000), QStringList{"Pending"} + told);
    sent->setStatusCode(200);
    sent->setDuration(0.001);
    sent->setIsPending(false);
    QApplication::processEvents();
    EXPECT_EQ(HistoryRowDelegate::shownDetails(*sent, 2000), QStringList{"200"} + told + QStringList{"1ms"});
    // Text is drawn smoothed: its pixels are near its colour.
    const QImage drawn = list.viewport()->grab().toImage();
    int orange = 0;
    for (int y = 0; y < drawn.height(); ++y) {
      for (int x = 0; x < drawn.width(); ++x) {
        const QColor pixel = drawn.pixelColor(x, y);
        orange += pixel.red() > 200 && pixel.green() > 100 && pixel.green() < 200 && pixel.blue() < 80;
      }
    }
    EXPECT_EQ(orange > 20, withNotice) << orange;
    EXPECT_EQ(list.model()->data(list.model()->index(0, 0), Qt::ToolTipRole).toString(), told.join(""));
  }
}

// A narrow list once drew the sizes over the time of the send.
TEST(HistoryPane, RowDetailsStopBeforeTheTimeInANarrowList) {
  const QFontMetrics metrics(QApplication::font());
  const QStringList details = {"200", "9ms", "\u2191 347 B", "\u2193 512 B"};
  const auto width = [&](const QStringList& texts) {
    int total = 0;
    for (const auto& text : texts) total += metrics.horizontalAdvance(text) + 12;
    return total - 12;
  };
  const int whole = width(details);
  const int firstTwo = width(details.mid(0, 2));
  struct Case {
    int available;
    qsizetype shown;
    bool lastCut;
  };
  for (const auto& [available, shown, lastCut] : {Case{whole, 4, false}, Case{whole + 100, 4, false},
                                                  Case{firstTwo + 12 + metrics.horizontalAdvance("\u2191 3\u2026"), 3, true},
                                                  Case{0, 0, false}, Case{-5, 0, false}}) {
    SCOPED_TRACE(available);
    const QStringList fitted = fittedDetails(details, metrics, available, 12);
    ASSERT_EQ(fitted.size(), shown);
    EXPECT_LE(width(fitted), std::max(available, 0));
    if (shown > 0) {
      EXPECT_EQ(fitted.back() != details[shown - 1], lastCut);
    }
  }
}

}  // namespace
