#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QListView>
#include <QTest>
#include <QTreeView>

#include "Wendalore/Views/Common/ItemPanel.h"
#include "tests/Platform/ScratchDirectory.h"
#include "tests/Window/ShownWindow.h"
#include "tests/desktop/AppProcess.h"
#include "tests/desktop/XDisplay.h"
#include "tests/servers/LoopbackHTTPServer.h"

namespace wendalore {
namespace {

constexpr int uiTimeout = 10'000;
constexpr int sendTimeout = 30'000;

void clickRow(QAbstractItemView& view, int row) {
  QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.visualRect(view.model()->index(row, 0)).center());
}

// The band of the view around `row`, as the view draws it, and the whole
// screen, saved for a person to look at; whether the row's top edge is drawn in the accent colour while
// the pixels just inside it are the view's background, which is how a
// focused selected row shows.
bool saveRowAndTellIfRinged(desktop::XDisplay& display, QAbstractItemView& view, int row, const std::string& name) {
  QApplication::processEvents();
  display.screenshot("row-focus-" + name + "-screen");
  const QImage viewport = view.viewport()->grab().toImage();
  const QRect cell = view.visualRect(view.model()->index(row, 0));
  const QRect band(0, std::max(0, cell.top() - 12), viewport.width(), cell.height() + 24);
  const auto file = desktop::screenshotDirectory() / ("row-focus-" + name + ".png");
  EXPECT_TRUE(viewport.copy(band).save(QString::fromStdString(file.string()), "PNG")) << file;
  const QPoint edge(cell.center().x(), cell.top());
  const QPoint inside = edge + QPoint(0, RowFocusRing::width);
  const QPalette& palette = view.palette();
  return viewport.pixelColor(edge) == palette.color(QPalette::Active, QPalette::Highlight) &&
         viewport.pixelColor(inside) == palette.color(QPalette::Active, QPalette::Base);
}

// The window on the display as a user sees it: a sidebar row and a history
// row, each selected, without and with the keyboard focus.
TEST(RowFocusLook, SelectedRowsAreRingedOnlyWhileTheirListHasTheFocus) {
  desktop::XDisplay display;
  testservers::LoopbackHTTPServer server;
  ScratchDirectory scratch;
  auto app = launchWithNewRequest(scratch / "Wendalore.sqlite", uiTimeout);
  ASSERT_NE(app, nullptr);
  auto& window = app->window();
  auto& url = *window.findChild<QLineEdit*>("urlField");
  QTest::mouseClick(&url, Qt::LeftButton);
  QTest::keyClicks(&url, QString::fromStdString(server.baseURL() + "/tiny"));
  QTest::keyClick(&url, Qt::Key_Return, Qt::ControlModifier);
  const auto& history = window.viewModel()->requestHistory();
  ASSERT_EQ(history.size(), 1u);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !history.front()->isPending(); }, sendTimeout));

  auto& sidebar = *window.findChild<QTreeView*>();
  auto& list = *window.findChild<QListView*>("historyList");
  for (auto* view : {static_cast<QAbstractItemView*>(&sidebar), static_cast<QAbstractItemView*>(&list)}) {
    const std::string name = view == &sidebar ? "sidebar" : "history";
    clickRow(*view, 0);
    ASSERT_TRUE(view->hasFocus()) << name;
    EXPECT_TRUE(saveRowAndTellIfRinged(display, *view, 0, name + "-with-focus")) << name;
    QTest::mouseClick(&url, Qt::LeftButton);
    ASSERT_FALSE(view->hasFocus()) << name;
    EXPECT_FALSE(saveRowAndTellIfRinged(display, *view, 0, name + "-without-focus")) << name;
    EXPECT_TRUE(view->selectionModel()->isSelected(view->model()->index(0, 0))) << name;
  }
}

}  // namespace
}  // namespace wendalore
