#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QListView>
#include <QTest>
#include <QVBoxLayout>

#include "Wendalore/Content/ContentController.h"
#include "Wendalore/Views/Common/ItemPanel.h"
#include "Wendalore/Views/History/HistorySelection.h"
#include "Wendalore/Views/History/RequestHistoryListView.h"
#include "Wendalore/Views/Sidebar/SidebarOutlineView.h"
#include "tests/Wendalore/Content/RequestTreeStore.h"

namespace wendalore {
namespace {

// A list beside a field that can take the focus from it, shown in an
// active window.
struct Shown {
  explicit Shown(QWidget* list) : list(list) {
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(list);
    layout->addWidget(elsewhere);
    window.resize(400, 300);
    window.show();
    QApplication::setActiveWindow(&window);
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
  }
  QWidget window;
  QWidget* list;
  QLineEdit* elsewhere = new QLineEdit;
};

// The selected `row` of `view`, clicked, seen without and then with the
// keyboard focus: the same selection both times, and with the focus a ring
// of the selection's colour at the row's edge, apart from it by a line of
// the view's background, all the way round.
void expectRingOnlyWithFocus(QAbstractItemView& view, QLineEdit& elsewhere, const QModelIndex& index) {
  QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.visualRect(index).center());
  ASSERT_TRUE(view.selectionModel()->isSelected(index));
  const QRect cell = view.visualRect(index);
  const QRect row(0, cell.top(), view.viewport()->width(), cell.height());
  const QColor accent = view.palette().color(QPalette::Active, QPalette::Highlight);
  const QColor base = view.palette().color(QPalette::Active, QPalette::Base);
  constexpr int ring = RowFocusRing::width;
  const int middle = row.center().y();
  // Across each edge, from its outermost pixel in: the ring, the gap, the
  // selection.
  struct Probe {
    const char* where;
    QPoint edge, inward;
    QPoint at(int depth) const { return edge + inward * depth; }
  };
  const std::vector<Probe> probes = {
      {"top, left of the item", {3 * ring, row.top()}, {0, 1}},
      {"top, over the name", {cell.center().x(), row.top()}, {0, 1}},
      {"bottom", {row.right() - 8, row.bottom()}, {0, -1}},
      {"left", {row.left(), middle}, {1, 0}},
      {"right", {row.right(), middle}, {-1, 0}},
  };
  const int gapAt = ring;
  const int selectionAt = ring + RowFocusRing::gap;

  elsewhere.setFocus();
  ASSERT_FALSE(view.hasFocus());
  const QImage unfocused = view.viewport()->grab().toImage();
  for (const auto& probe : probes) {
    EXPECT_EQ(unfocused.pixelColor(probe.at(gapAt)), accent) << probe.where << ": without focus, all selection";
  }

  QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.visualRect(index).center());
  ASSERT_TRUE(view.hasFocus());
  ASSERT_TRUE(view.selectionModel()->isSelected(index));
  const QImage focused = view.viewport()->grab().toImage();
  for (const auto& probe : probes) {
    for (int depth = 0; depth < ring; ++depth) EXPECT_EQ(focused.pixelColor(probe.at(depth)), accent) << probe.where;
    EXPECT_EQ(focused.pixelColor(probe.at(gapAt)), base) << probe.where;
    EXPECT_EQ(focused.pixelColor(probe.at(selectionAt)), accent) << probe.where;
  }
}

class RowFocusRingTest : public ::testing::Test, public RequestTreeStore {};

TEST_F(RowFocusRingTest, ASidebarRowIsRingedWholeWhileTheSidebarHasTheFocus) {
  const auto folderInTree = folder("f", 0);
  request("inside", 0, folderInTree, "POST");
  saveAll();
  ContentController content(context);
  auto* sidebar = new SidebarOutlineView;
  sidebar->setContent(content.rootItems(), nullptr, content.dataVersion());
  Shown shown(sidebar);
  const QModelIndex inside = sidebar->outlineModel().index(0, 0, sidebar->outlineModel().index(0, 0));
  ASSERT_EQ(inside.data().toString(), "inside");
  ASSERT_GT(sidebar->visualRect(inside).left(), 3 * RowFocusRing::width) << "the row is indented";
  expectRingOnlyWithFocus(*sidebar, *shown.elsewhere, inside);
}

TEST_F(RowFocusRingTest, AHistoryRowIsRingedWhileTheListHasTheFocus) {
  HistorySelection selection;
  auto* history = new RequestHistoryListView(selection);
  history->setHistory({RequestHistoryItem::make(platform::Date::now(), "GET", "http://localhost/a", {}, std::nullopt),
                       RequestHistoryItem::make(platform::Date::now(), "GET", "http://localhost/b", {}, std::nullopt)});
  Shown shown(history);
  auto& list = *history->findChild<QListView*>("historyList");
  expectRingOnlyWithFocus(list, *shown.elsewhere, list.model()->index(1, 0));
}

}  // namespace
}  // namespace wendalore
