#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QListView>
#include <QTest>
#include <QTreeView>
#include <algorithm>

#include "Platform/Dispatch/RunLoop.h"
#include "Wendalore/Views/History/HighlightedTextView.h"
#include "tests/Platform/ScratchDirectory.h"
#include "tests/Window/ShownWindow.h"

namespace wendalore {
namespace {

constexpr int uiTimeout = 10'000;

// The whole window with one request in the editor, whose address the
// session refuses before reaching any network: every send ends at once,
// failed, as a row of the history.
class SendShortcutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app = launchWithNewRequest(scratch / "Wendalore.sqlite", uiTimeout);
    ASSERT_NE(app, nullptr);
    auto* url = app->window().findChild<QLineEdit*>("urlField");
    click(*url);
    QTest::keyClicks(url, "ftp://h.test/file");
  }
  void TearDown() override {
    if (app) {
      EXPECT_TRUE(allFinished());
    }
  }

  const std::vector<std::shared_ptr<RequestHistoryItem>>& entries() const {
    return app->window().viewModel()->requestHistory();
  }
  // Lets the sends come back to the main queue.
  bool allFinished() const {
    return platform::RunLoop::main().runUntil(
        [&] {
          QApplication::processEvents();
          return std::ranges::none_of(entries(), [](const auto& entry) { return entry->isPending(); });
        },
        std::chrono::seconds(10));
  }

  template <class Widget>
  Widget& shown(const char* name) const {
    Widget* found = nullptr;
    const bool ok = QTest::qWaitFor(
        [&] { return (found = app->window().findChild<Widget*>(name)) != nullptr && found->isVisible(); }, uiTimeout);
    if (!ok) throw std::runtime_error(std::string("no shown widget named ") + name);
    return *found;
  }
  static void click(QWidget& widget, QPoint at = {}) {
    QTest::mouseClick(&widget, Qt::LeftButton, {}, at.isNull() ? widget.rect().center() : at);
  }
  static void clickRow(QAbstractItemView& view, const QModelIndex& row) {
    click(*view.viewport(), view.visualRect(row).center());
  }
  // Ctrl+Return as the keyboard gives it: to whatever has the focus.
  static void pressCtrlReturn() {
    QWidget* focused = QApplication::focusWidget();
    ASSERT_NE(focused, nullptr);
    QTest::keyClick(focused, Qt::Key_Return, Qt::ControlModifier);
  }

  ScratchDirectory scratch;
  std::unique_ptr<WendaloreApp> app;
};

TEST_F(SendShortcutTest, CtrlReturnSendsWhereverAClickLeftTheFocusAndReturnAloneInTheAddressDoesNot) {
  auto& url = shown<QLineEdit>("urlField");
  QTest::keyClick(&url, Qt::Key_Return);
  EXPECT_TRUE(entries().empty());
  click(shown<QWidget>("sendButton"));
  ASSERT_EQ(entries().size(), 1u);
  ASSERT_TRUE(allFinished());

  auto& history = shown<QListView>("historyList");
  clickRow(history, history.model()->index(0, 0));
  auto& response = shown<HighlightedTextView>("responseText");
  click(response);
  ASSERT_TRUE(response.isAncestorOf(QApplication::focusWidget()) || response.hasFocus());
  pressCtrlReturn();
  EXPECT_EQ(entries().size(), 2u) << "after a click on the response";

  auto& sidebar = *app->window().findChild<QTreeView*>();
  ASSERT_EQ(sidebar.model()->rowCount(), 1);
  clickRow(sidebar, sidebar.model()->index(0, 0));
  ASSERT_TRUE(sidebar.hasFocus());
  pressCtrlReturn();
  EXPECT_EQ(entries().size(), 3u) << "after a click on a sidebar row";

  clickRow(history, history.model()->index(1, 0));
  ASSERT_TRUE(history.hasFocus());
  pressCtrlReturn();
  EXPECT_EQ(entries().size(), 4u) << "after a click on a history row";

  click(url);
  QTest::keyClick(&url, Qt::Key_Return);
  QTest::keyClick(&url, Qt::Key_Enter);
  EXPECT_EQ(entries().size(), 4u) << "Return alone in the address";
}

}  // namespace
}  // namespace wendalore
