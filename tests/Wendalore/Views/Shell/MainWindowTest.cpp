#include "Wendalore/Views/Shell/MainWindow.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPointer>
#include <QStatusBar>

namespace wendalore {
namespace {

class MainWindowTest : public ::testing::Test {
 protected:
  MainWindow window{nullptr};
  ContentView& content = window.contentView();
};

TEST_F(MainWindowTest, EachPlaceHoldsOneWidgetAndWithoutAnEditorARequestIsAskedForInDimmedText) {
  window.show();
  EXPECT_EQ(window.windowTitle(), "Wendalore");
  ASSERT_TRUE(content.showsPlaceholder());
  const auto* placeholder = qobject_cast<QLabel*>(content.editor());
  ASSERT_NE(placeholder, nullptr);
  EXPECT_EQ(placeholder->text(), "Add or select a request");
  EXPECT_EQ(placeholder->alignment(), Qt::AlignCenter);
  EXPECT_NE(placeholder->palette().color(QPalette::WindowText), window.palette().color(QPalette::WindowText));
  EXPECT_GE(placeholder->minimumWidth(), 300);
  EXPECT_GE(placeholder->minimumHeight(), 400);

  auto* sidebar = new QLabel("tree");
  auto* history = new QLabel("history");
  content.setSidebar(sidebar);
  content.setHistory(history);
  QPointer<QWidget> first = new QLabel("editor A");
  content.setEditor(first);
  EXPECT_FALSE(content.showsPlaceholder());
  content.setEditor(first);  // the same again is kept

  auto* second = new QLabel("editor B");
  content.setEditor(second);
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(first.isNull());
  EXPECT_EQ(content.editor(), second);
  EXPECT_TRUE(second->isVisible());

  content.showPlaceholder();
  EXPECT_TRUE(content.showsPlaceholder());
  EXPECT_EQ(content.sidebar(), sidebar);
  EXPECT_EQ(content.history(), history);
  // The sidebar sits left of the detail, the editor above the history.
  const auto sidebarLeft = sidebar->mapTo(&window, QPoint(0, 0));
  const auto editorTop = content.editor()->mapTo(&window, QPoint(0, 0));
  const auto historyTop = history->mapTo(&window, QPoint(0, 0));
  EXPECT_LT(sidebarLeft.x(), editorTop.x());
  EXPECT_LT(editorTop.y(), historyTop.y());
  EXPECT_GE(sidebar->parentWidget()->width(), ContentView::sidebarMinimumWidth);
}

TEST_F(MainWindowTest, TheStatusBarTellsAFailureInRedAndAsPlainText) {
  const std::vector<std::tuple<std::string, std::optional<std::string>, QString, bool>> cases = {
      {"Ready", std::nullopt, "Ready", false},
      // A refused connection leaves the status at "Sending...".
      {"Sending...", "Could not connect to the server.", "Could not connect to the server.", true},
      {"Status: 200", "Invalid URL", "Invalid URL", true},
      {"Ready", "URL is not valid: <b>http://</b>", "URL is not valid: <b>http://</b>", true},
  };
  for (const auto& [status, error, shown, isError] : cases) {
    window.showStatus(StatusLine::of(status, error));
    const auto& label = window.statusLabel();
    EXPECT_EQ(label.text(), shown);
    EXPECT_EQ(label.textFormat(), Qt::PlainText);
    EXPECT_EQ(label.palette().color(QPalette::WindowText) == QColor(Qt::red), isError) << label.text().toStdString();
  }
}

}  // namespace
}  // namespace wendalore
