#include "Wendalore/Views/Shell/MainWindow.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
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
  EXPECT_EQ(window.findChild<QStatusBar*>(), nullptr) << "nothing under the content";
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
  EXPECT_EQ(content.geometry().bottom(), window.rect().bottom()) << "the content reaches the window's foot";
  EXPECT_GE(sidebar->parentWidget()->width(), ContentView::sidebarMinimumWidth);
}

}  // namespace
}  // namespace wendalore
