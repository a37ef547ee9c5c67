#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDrag>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>

#include "Wendalore/Content/ContentController.h"
#include "Wendalore/Views/Sidebar/SidebarOutlineView.h"
#include "tests/Wendalore/Content/RequestTreeStore.h"
#include "tests/Wendalore/Views/Sidebar/SidebarDriving.h"

namespace wendalore {
namespace {

std::string nameOf(const std::shared_ptr<RequestFolder>& folder) { return folder ? folder->name() : "top"; }

std::string nameOf(const FileSystemItem& item) {
  return item.folder() ? item.folder()->name() : item.requestTemplate()->name();
}

// Catches the drag a view starts, before the event loop disposes of it.
class DragCatcher : public QObject {
 public:
  // The child is announced while it is being made, before it is a QDrag.
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::ChildAdded) child = static_cast<QChildEvent*>(event)->child();
    return false;
  }
  QDrag* drag() const { return qobject_cast<QDrag*>(child.data()); }
  QPointer<QObject> child;
};

// The sidebar wired to the window's controller as the window wires it, with
// every callback also written down.
class SidebarOutlineViewTest : public ::testing::Test, public RequestTreeStore {
 protected:
  void SetUp() override {
    f = folder("f", 0);
    a = request("A", 0, f);
    b = request("B", 1, f);
    c = request("C", 2, f, "post");
    d = request("D", 3, f);
    g = folder("g", 1);
    g->setIsExpanded(false);
    sub = folder("sub", 0, g);
    request("top", 2);
    saveAll();

    view.onSelect = [this](const std::optional<FileSystemItem>& item) {
      calls.push_back("select " + (item ? nameOf(*item) : "none"));
      content.selectItem(item);
    };
    view.onMove = [this](const std::string& payload, const std::shared_ptr<RequestFolder>& target, std::int64_t index) {
      calls.push_back("move " + nameOf(target) + " " + std::to_string(index));
      content.moveItem(payload, target, index);
    };
    view.onAddFolder = [this](const std::shared_ptr<RequestFolder>& parent) {
      calls.push_back("add folder " + nameOf(parent));
      content.addFolder(parent);
    };
    view.onAddRequest = [this](const std::shared_ptr<RequestFolder>& parent) {
      calls.push_back("add request " + nameOf(parent));
      content.addRequest(parent);
    };
    view.onDelete = [this](const FileSystemItem& item) {
      calls.push_back("delete " + nameOf(item));
      content.requestDeletion(item);
    };
    view.onRename = [this](const FileSystemItem& item, const std::string& name) {
      calls.push_back("rename " + nameOf(item) + " " + name);
      content.renameItem(item, name);
    };
    update();
    view.resize(300, 500);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
  }

  void update() { view.setContent(content.rootItems(), content.selectedTemplate(), content.dataVersion()); }
  std::string tree() { return describe(content.rootItems()); }

  QModelIndex row(const std::string& name) { return rowNamed(view, name); }
  QPoint onto(const std::string& name) { return view.visualRect(row(name)).center(); }
  QPoint gapAbove(const std::string& name) { return view.visualRect(row(name)).topLeft() + QPoint(40, 1); }
  QPoint belowTheRows() { return {40, view.viewport()->height() - 5}; }
  std::string highlighted() {
    const auto rows = view.selectionModel()->selectedRows();
    return rows.isEmpty() ? "none" : rows.front().data().toString().toStdString();
  }
  // The folder rows a person can see, each marked open (+) or closed (-)
  // as `isOpen` tells; a folder's rows are walked only when it shows open.
  std::string visibleFolders(const std::function<bool(const QModelIndex&, const RequestFolder&)>& isOpen,
                             const QModelIndex& parent = {}) {
    std::string text;
    const auto& model = view.outlineModel();
    for (int at = 0; at < model.rowCount(parent); ++at) {
      const QModelIndex child = model.index(at, 0, parent);
      const auto folder = model.itemAt(child)->folder();
      if (!folder) continue;
      text += folder->name() + (isOpen(child, *folder) ? "+ " : "- ");
      if (view.isExpanded(child)) text += visibleFolders(isOpen, child);
    }
    return text;
  }
  std::string shownFolders() {
    return visibleFolders([this](const QModelIndex& row, const RequestFolder&) { return view.isExpanded(row); });
  }
  std::string storedFolders() {
    return visibleFolders([](const QModelIndex&, const RequestFolder& folder) { return folder.isExpanded(); });
  }

  bool drop(const QString& text, QPoint at) { return dropText(view, text, at); }

  std::vector<std::string> menuAt(QPoint at) {
    auto menu = view.makeContextMenu(at);
    std::vector<std::string> titles;
    for (auto* action : menu->actions()) titles.push_back(action->isSeparator() ? "-" : action->text().toStdString());
    return titles;
  }
  void choose(QPoint at, const QString& title) {
    auto menu = view.makeContextMenu(at);
    for (auto* action : menu->actions()) {
      if (action->text() == title) return action->trigger();
    }
    ADD_FAILURE() << "no menu item " << title.toStdString();
  }

  std::shared_ptr<RequestFolder> f, g, sub;
  std::shared_ptr<RequestTemplate> a, b, c, d;
  ContentController content{context};
  SidebarOutlineView view;
  QAbstractItemModelTester tester{&view.outlineModel(), QAbstractItemModelTester::FailureReportingMode::Fatal};
  std::vector<std::string> calls;
  platform::ObservationToken following = content.observe([this](ContentController::Change) { update(); });
};

TEST_F(SidebarOutlineViewTest, ReloadShowsTheTreeAndReappliesExpansion) {
  const auto& model = view.outlineModel();
  ASSERT_EQ(model.rowCount(), 3);
  EXPECT_EQ(model.index(0, 0).data().toString(), "f");
  EXPECT_EQ(model.index(1, 0).data().toString(), "g");
  EXPECT_EQ(model.index(2, 0).data().toString(), "top");
  EXPECT_TRUE(view.isExpanded(row("f")));
  EXPECT_FALSE(view.isExpanded(row("g")));
  EXPECT_TRUE(model.hasChildren(row("sub")));  // an empty folder can be opened
  EXPECT_FALSE(model.hasChildren(row("A")));
  EXPECT_EQ(row("C").data(SidebarOutlineModel::methodRole).toString(), "post");

  // A folder marked open inside a closed one stays closed.
  auto inner = folder("inner", 0, sub);
  QSignalSpy resets(&view.outlineModel(), &QAbstractItemModel::modelReset);
  update();
  EXPECT_EQ(resets.count(), 0);  // same token, same top level: no reload
  content.renewDataVersion();
  EXPECT_EQ(resets.count(), 1);
  EXPECT_FALSE(view.isExpanded(row("sub")));
  EXPECT_FALSE(view.isExpanded(row("inner")));
  EXPECT_TRUE(inner->isExpanded());
}

// Every folder has an arrow, an empty one too, closed or open, and a click
// on it opens the folder on nothing and closes it again; a request has none.
TEST_F(SidebarOutlineViewTest, AnEmptyFolderHasAnArrowThatOpensItOnNothing) {
  auto empty = folder("empty", 3);
  empty->setIsExpanded(false);
  auto fresh = folder("fresh", 4);  // open, as a new folder is made
  content.renewDataVersion();
  ASSERT_FALSE(view.isExpanded(row("empty")));
  ASSERT_TRUE(view.isExpanded(row("fresh")));

  const auto arrowPlace = [this](const std::string& name) {
    const QRect item = view.visualRect(row(name));
    return QRect(item.left() - view.indentation(), item.top(), view.indentation(), item.height());
  };
  // Drawn with the pointer away: an arrow under it is lit.
  const auto arrow = [&](const std::string& name) {
    QTest::mouseMove(view.viewport(), belowTheRows());
    return view.viewport()->grab(arrowPlace(name)).toImage();
  };
  const auto isBlank = [](const QImage& image) {
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) {
        if (image.pixel(x, y) != image.pixel(0, 0)) return false;
      }
    }
    return true;
  };
  const auto clickArrow = [&](const std::string& name) {
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, arrowPlace(name).center());
  };

  EXPECT_TRUE(isBlank(arrow("top")));
  const QImage closed = arrow("empty");
  EXPECT_FALSE(isBlank(closed));
  EXPECT_FALSE(isBlank(arrow("fresh")));
  EXPECT_NE(arrow("fresh"), closed) << "an open folder's arrow points another way";

  clickArrow("empty");
  EXPECT_TRUE(view.isExpanded(row("empty")));
  EXPECT_TRUE(empty->isExpanded());
  EXPECT_EQ(view.outlineModel().rowCount(row("empty")), 0);
  EXPECT_EQ(arrow("empty"), arrow("fresh"));
  content.renewDataVersion();
  EXPECT_TRUE(view.isExpanded(row("empty")));
  EXPECT_EQ(arrow("empty"), arrow("fresh"));

  for (const auto* name : {"empty", "fresh"}) clickArrow(name);
  EXPECT_FALSE(empty->isExpanded());
  EXPECT_FALSE(fresh->isExpanded());
  EXPECT_EQ(arrow("empty"), closed);
  EXPECT_EQ(arrow("fresh"), closed);
  EXPECT_EQ(calls, std::vector<std::string>{}) << "a click on an arrow selects nothing";
  EXPECT_TRUE(isBlank(arrow("top")));
}

TEST_F(SidebarOutlineViewTest, AFolderThatIsItsOwnAncestorIsARowOfTheTopWithItsRequestsAndCanBeMovedOut) {
  // As a damaged store holds it: g beneath its own subfolder.
  request("lost", 0, g);
  g->setParent(sub);
  content.renewDataVersion();
  const auto& model = view.outlineModel();
  ASSERT_EQ(model.rowCount(), 4);
  EXPECT_EQ(model.index(1, 0).data().toString(), "sub");
  EXPECT_EQ(model.index(2, 0).data().toString(), "g");
  EXPECT_EQ(model.rowCount(row("g")), 1) << "its request, not sub again";
  EXPECT_EQ(model.rowCount(row("sub")), 0) << "g is a row of the top";

  ASSERT_TRUE(drop(QString::fromStdString("folder:" + sub->id().uuidString()), belowTheRows()));
  EXPECT_EQ(tree(), "f[A B C D] top sub[g[lost]]");
  EXPECT_EQ(model.rowCount(), 3);
}

TEST_F(SidebarOutlineViewTest, OpeningAndClosingAFolderIsRemembered) {
  QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, onto("g"));
  QTest::keyClick(&view, Qt::Key_Right);
  EXPECT_TRUE(g->isExpanded());
  content.renewDataVersion();
  EXPECT_TRUE(view.isExpanded(row("g")));
  QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, onto("g"));
  QTest::keyClick(&view, Qt::Key_Left);
  EXPECT_FALSE(g->isExpanded());
}

TEST_F(SidebarOutlineViewTest, AFolderARequestWasDraggedIntoStaysOpenAfterADeletionElsewhere) {
  auto scratch = folder("scratch", 3);
  scratch->setIsExpanded(false);
  saveAll();
  content.renewDataVersion();
  ASSERT_FALSE(view.isExpanded(row("scratch")));

  // Pressed to be dragged, the request becomes the edited one.
  QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, onto("top"));
  const auto dragged = content.selectedTemplate();
  ASSERT_NE(dragged, nullptr);
  ASSERT_TRUE(drop(QString::fromStdString("template:" + dragged->id().uuidString()), onto("scratch")));
  EXPECT_EQ(tree(), "f[A B C D] g[sub] scratch[top]");
  EXPECT_EQ(shownFolders(), "f+ g- scratch+ ");

  choose(onto("B"), "Delete Request");
  content.confirmDeletion();
  EXPECT_EQ(tree(), "f[A C D] g[sub] scratch[top]");
  EXPECT_EQ(shownFolders(), "f+ g- scratch+ ");
  EXPECT_EQ(storedFolders(), shownFolders());
  // The deletion's save took the flag along to the next start.
  const auto saved = openSaved();
  const auto savedScratch = ContentController(saved->mainContext()).rootItems()[2].folder();
  ASSERT_NE(savedScratch, nullptr);
  EXPECT_EQ(savedScratch->name(), "scratch");
  EXPECT_TRUE(savedScratch->isExpanded());
}

TEST_F(SidebarOutlineViewTest, EveryReloadShowsTheFoldersAsTheyWereLastShown) {
  auto deep = request("deep", 0, sub);
  sub->setIsExpanded(false);
  content.renewDataVersion();
  EXPECT_EQ(shownFolders(), "f+ g- ");

  // A request chosen elsewhere is scrolled to, which opens its folders.
  content.selectItem(FileSystemItem(deep));
  EXPECT_EQ(highlighted(), "deep");
  EXPECT_EQ(shownFolders(), "f+ g+ sub+ ");
  EXPECT_EQ(storedFolders(), shownFolders());
  content.renewDataVersion();
  EXPECT_EQ(shownFolders(), "f+ g+ sub+ ");

  // Closed, g stays closed through a reload although the edited request is
  // in it; opened again, it shows sub as it was left, as the next reload
  // would.
  QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, onto("g"));
  QTest::keyClick(&view, Qt::Key_Left);
  content.renewDataVersion();
  EXPECT_EQ(shownFolders(), "f+ g- ");
  QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, onto("g"));
  QTest::keyClick(&view, Qt::Key_Right);
  EXPECT_EQ(shownFolders(), "f+ g+ sub+ ");
  EXPECT_EQ(storedFolders(), shownFolders());
  content.renewDataVersion();
  EXPECT_EQ(shownFolders(), "f+ g+ sub+ ");
}

TEST_F(SidebarOutlineViewTest, AClosedFolderGivenANewSubfolderShowsOpenAsStored) {
  choose(onto("g"), "New Subfolder");
  EXPECT_EQ(tree(), "f[A B C D] g[sub New Folder] top");
  EXPECT_EQ(shownFolders(), "f+ g+ sub+ New Folder+ ");
  EXPECT_EQ(storedFolders(), shownFolders());
  // Not saved by the addition: the flag waits for the next save.
  const auto saved = openSaved();
  EXPECT_FALSE(ContentController(saved->mainContext()).rootItems()[1].folder()->isExpanded());
}

TEST_F(SidebarOutlineViewTest, ClicksSelectRequestsAndFoldersKeepTheEditedOne) {
  QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, onto("B"));
  QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, onto("g"));
  QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, belowTheRows());
  EXPECT_EQ(calls, (std::vector<std::string>{"select B", "select g", "select none"}));
  QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, onto("g"));
  content.setSelectedHistoryItem(nullptr);  // the window changes, the edited request does not
  EXPECT_EQ(highlighted(), "g");
  EXPECT_EQ(content.selectedTemplate(), b);
}

TEST_F(SidebarOutlineViewTest, ContextMenusDependOnWhatWasClicked) {
  struct Case {
    std::function<QPoint()> place;
    std::vector<std::string> titles;
    std::string highlighted;
  };
  const Case cases[] = {
      {[this] { return belowTheRows(); }, {"New Folder", "New Request"}, "none"},
      {[this] { return onto("f"); }, {"New Request", "New Subfolder", "-", "Rename", "-", "Delete Folder"}, "f"},
      {[this] { return onto("A"); }, {"Rename", "-", "Delete Request"}, "A"},
  };
  for (const auto& test : cases) {
    EXPECT_EQ(menuAt(test.place()), test.titles);
    EXPECT_EQ(highlighted(), test.highlighted);
  }
  EXPECT_EQ(calls, (std::vector<std::string>{"select f", "select A"}));

  // The real secondary click pops the same menu up.
  QContextMenuEvent click(QContextMenuEvent::Mouse, onto("top"), view.viewport()->mapToGlobal(onto("top")));
  QApplication::sendEvent(view.viewport(), &click);
  auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
  ASSERT_NE(popup, nullptr);
  EXPECT_EQ(popup->actions().front()->text(), "Rename");
  popup->close();
  EXPECT_EQ(highlighted(), "top");
}

TEST_F(SidebarOutlineViewTest, MenuItemsReachTheOwner) {
  choose(onto("g"), "New Subfolder");
  choose(onto("g"), "New Request");
  EXPECT_EQ(tree(), "f[A B C D] g[sub New Request New Folder] top");
  // The new request is highlighted as it is edited.
  EXPECT_EQ(highlighted(), "New Request");
  EXPECT_EQ(content.selectedTemplate()->name(), "New Request");
  EXPECT_TRUE(view.isExpanded(row("g")));

  choose(belowTheRows(), "New Folder");
  choose(belowTheRows(), "New Request");
  EXPECT_EQ(tree(), "f[A B C D] New Request g[sub New Request New Folder] top New Folder");

  choose(onto("B"), "Delete Request");
  ASSERT_TRUE(content.deletionTarget());
  EXPECT_EQ(content.deletionTarget()->requestTemplate(), b);
  choose(onto("f"), "Delete Folder");
  EXPECT_EQ(content.deletionTarget()->folder(), f);
  EXPECT_EQ(calls.back(), "delete f");
}

TEST_F(SidebarOutlineViewTest, RenameCommitsWhatWasTyped) {
  struct Case {
    std::string row;
    QString typed;
    Qt::Key end;
    std::string call;
  };
  const Case cases[] = {{"A", "Renamed", Qt::Key_Return, "rename A Renamed"},
                        {"g", "", Qt::Key_Tab, "rename g "},
                        {"B", "Kept", Qt::Key_Escape, "rename B Kept"}};
  for (const auto& test : cases) {
    choose(onto(test.row), "Rename");
    QLineEdit* field = nullptr;
    for (auto* editor : view.viewport()->findChildren<QLineEdit*>()) {
      if (editor->isVisible()) field = editor;  // earlier ones wait to be disposed of
    }
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->text().toStdString(), test.row);
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClicks(field, test.typed);
    QTest::keyClick(field, test.end);
    QCoreApplication::processEvents();  // the field commits once back in the event loop
    EXPECT_EQ(calls.back(), test.call);
    // No other row is being renamed, nor selected.
    for (auto* editor : view.viewport()->findChildren<QLineEdit*>()) EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(highlighted(), test.typed.toStdString());
  }
  EXPECT_FALSE(view.outlineModel().flags(row("C")) & Qt::ItemIsEditable);
  EXPECT_EQ(a->name(), "Renamed");
  EXPECT_EQ(g->name(), "");
  EXPECT_EQ(b->name(), "Kept");
  EXPECT_EQ(describe(ContentController(openSaved()->mainContext()).rootItems()), "f[Renamed Kept C D] [sub] top");
}

TEST_F(SidebarOutlineViewTest, DraggingARowCarriesItsIdentifier) {
  DragCatcher catcher;
  view.installEventFilter(&catcher);
  const QPoint start = onto("A");
  QTest::mousePress(view.viewport(), Qt::LeftButton, {}, start);
  QTest::mouseMove(view.viewport(), start + QPoint(0, 8));
  QTest::mouseMove(view.viewport(), start + QPoint(0, 40));
  QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, start + QPoint(0, 40));
  ASSERT_NE(catcher.drag(), nullptr);
  const QString payload = catcher.drag()->mimeData()->text();
  EXPECT_EQ(payload.toStdString(), "template:" + a->id().uuidString());

  // Dropped between C and D, A lands there.
  EXPECT_TRUE(drop(payload, gapAbove("D")));
  EXPECT_EQ(tree(), "f[B C A D] g[sub] top");
}

TEST_F(SidebarOutlineViewTest, DropsLandWhereTheyWereMade) {
  const auto payload = [](const auto& model, const char* kind) {
    return QString::fromStdString(std::string(kind) + ":" + model->id().uuidString());
  };
  struct Case {
    QString payload;
    std::function<QPoint()> place;
    bool taken;
    std::string call;
    std::string tree;
  };
  view.expand(row("g"));
  const Case cases[] = {
      {payload(d, "template"), [this] { return onto("A"); }, false, "", "f[A B C D] g[sub] top"},
      {payload(d, "template"), [this] { return gapAbove("B"); }, true, "move f 1", "f[A D B C] g[sub] top"},
      {payload(a, "template"), [this] { return onto("g"); }, true, "move g -1", "f[D B C] g[sub A] top"},
      {payload(g, "folder"), [this] { return onto("sub"); }, true, "move sub -1", "f[D B C] g[sub A] top"},
      {"hello from elsewhere", [this] { return onto("f"); }, true, "move f -1", "f[D B C] g[sub A] top"},
      {payload(f, "folder"), [this] { return belowTheRows(); }, true, "move top -1", "g[sub A] top f[D B C]"},
      {payload(b, "template"), [this] { return gapAbove("g"); }, true, "move top 0", "B g[sub A] top f[D C]"},
  };
  for (const auto& test : cases) {
    calls.clear();
    EXPECT_EQ(drop(test.payload, test.place()), test.taken) << test.tree;
    EXPECT_EQ(calls, test.call.empty() ? std::vector<std::string>{} : std::vector<std::string>{test.call});
    EXPECT_EQ(tree(), test.tree);
  }
  EXPECT_EQ(describe(ContentController(openSaved()->mainContext()).rootItems()), tree());
}

}  // namespace
}  // namespace wendalore
