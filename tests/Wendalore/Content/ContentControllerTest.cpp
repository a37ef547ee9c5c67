#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "Wendalore/Content/ContentController.h"
#include "tests/Wendalore/Content/RequestTreeStore.h"

namespace wendalore {
namespace {

class ContentControllerTest : public ::testing::Test, public RequestTreeStore {
 protected:
  // What a fresh start of the program would show.
  std::string reloaded() { return describe(ContentController(openSaved()->mainContext()).rootItems()); }

  ContentController content{context};
  std::vector<ContentController::Change> changes;
  platform::ObservationToken observation = content.observe([this](auto change) { changes.push_back(change); });
};

TEST_F(ContentControllerTest, RootItemsListFoldersThenRequestsStablyBySortOrder) {
  request("r2", 2);
  request("r0", 0);
  folder("f1", 1);
  auto f0 = folder("f0", 0);
  request("inside", 0, f0);
  folder("sub", 0, f0);
  request("r0b", 0);
  saveAll();
  EXPECT_EQ(describe(content.rootItems()), "f0[sub inside] r0 r0b f1 r2");
  EXPECT_EQ(reloaded(), "f0[sub inside] r0 r0b f1 r2");
}

TEST_F(ContentControllerTest, AFolderThatIsItsOwnAncestorIsShownAtTheTopWithItsRequests) {
  auto self = folder("self", 0);
  request("kept", 0, self);
  folder("inner", 1, self);
  auto b = folder("b", 1);
  auto c = folder("c", 2, b);
  request("in c", 0, c);
  folder("plain", 3);
  saveAll();
  // As a damaged store holds them; the tree never makes such loops itself.
  self->setParent(self);
  b->setParent(c);
  saveAll();

  // Folders of a loop hold each other: the copy is untangled before it goes.
  const auto reloadedWithLoops = [this] {
    const auto saved = openSaved();
    const auto shown = describe(ContentController(saved->mainContext()).rootItems());
    const auto folders = saved->mainContext()->fetch<RequestFolder>().value();
    for (const auto& folder : folders) folder->setParent(nullptr);
    return shown;
  };
  EXPECT_EQ(describe(content.rootItems()), "self[kept inner] b c[in c] plain");
  EXPECT_EQ(reloadedWithLoops(), "self[kept inner] b c[in c] plain");

  // Moved out to the top level, the folder is whole again; deleted, it
  // goes with what it holds.
  content.moveItem("folder:" + b->id().uuidString(), nullptr, -1);
  EXPECT_EQ(reloadedWithLoops(), "self[kept inner] plain b[c[in c]]");
  content.requestDeletion(self);
  content.confirmDeletion();
  EXPECT_EQ(reloaded(), "plain b[c[in c]]");
}

TEST_F(ContentControllerTest, NewFolderEndsLastAndIsSaved) {
  auto f = folder("f", 0);
  request("a", 1);
  request("b", 2);
  folder("inner", 0, f);
  request("x", 5, f);  // numbers left with a gap by an earlier move
  f->setIsExpanded(false);
  saveAll();
  const auto version = content.dataVersion();

  content.addFolder(nullptr);
  auto roots = content.rootItems();
  ASSERT_EQ(roots.size(), 4u);
  EXPECT_EQ(roots.back().folder()->name(), "New Folder");
  EXPECT_EQ(roots.back().sortOrder(), 3);
  EXPECT_TRUE(roots.back().folder()->isExpanded());
  EXPECT_NE(content.dataVersion(), version);

  content.addFolder(f);
  EXPECT_EQ(describe(content.rootItems()), "f[inner x New Folder] a b New Folder");
  EXPECT_TRUE(f->isExpanded());
  EXPECT_EQ(reloaded(), "f[inner x New Folder] a b New Folder");
  EXPECT_EQ(content.selectedTemplate(), nullptr);
}

TEST_F(ContentControllerTest, NewRequestIsSelectedFirstAmongRequestsAndSaved) {
  auto f = folder("f", 0);
  folder("sub", 0, f);
  request("old", 0, f);
  f->setIsExpanded(false);
  saveAll();

  content.addRequest(f);
  auto made = content.selectedTemplate();
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(made->name(), "New Request");
  EXPECT_EQ(made->method(), "GET");
  EXPECT_EQ(made->url(), "");
  EXPECT_EQ(made->sortOrder(), 0);
  EXPECT_EQ(made->folder(), f);
  EXPECT_TRUE(f->isExpanded());
  EXPECT_EQ(reloaded(), "f[sub old New Request]");
  EXPECT_NE(std::ranges::find(changes, ContentController::Change::selectedTemplate), changes.end());
  EXPECT_NE(std::ranges::find(changes, ContentController::Change::dataVersion), changes.end());
}

TEST_F(ContentControllerTest, RenameStoresTheTextAsGivenWithoutReloading) {
  auto f = folder("f", 0);
  auto r = request("r", 1);
  saveAll();
  const auto version = content.dataVersion();
  content.renameItem(f, "");
  content.renameItem(r, "  spaced  ");
  content.renameItem(r, "  spaced  ");
  EXPECT_EQ(content.dataVersion(), version);
  EXPECT_EQ(reloaded(), "   spaced  ");
}

TEST_F(ContentControllerTest, DeletionWaitsForConfirmation) {
  auto outer = folder("outer", 0);
  auto middle = folder("middle", 0, outer);
  auto deep = request("deep", 0, middle);
  auto direct = request("direct", 1, outer);
  auto loose = request("loose", 1);
  saveAll();

  content.requestDeletion(loose);
  ASSERT_TRUE(content.deletionTarget());
  EXPECT_EQ(content.deletionTarget()->title(), "Delete Request?");
  EXPECT_EQ(content.deletionTarget()->id(), "template-" + loose->id().uuidString());
  content.cancelDeletion();
  EXPECT_FALSE(content.deletionTarget());
  EXPECT_EQ(reloaded(), "outer[middle[deep] direct] loose");

  struct Case {
    std::shared_ptr<RequestTemplate> selected;
    FileSystemItem deleted;
    bool selectionCleared;
    std::string tree;
  };
  const Case cases[] = {
      {direct, FileSystemItem(loose), false, "outer[middle[deep] direct]"},
      {deep, FileSystemItem(middle), true, "outer[direct]"},  // held beneath, not directly
      {direct, FileSystemItem(direct), true, "outer"},
  };
  for (const auto& test : cases) {
    content.selectItem(FileSystemItem(test.selected));
    const auto version = content.dataVersion();
    content.requestDeletion(test.deleted);
    content.confirmDeletion();
    EXPECT_FALSE(content.deletionTarget());
    EXPECT_EQ(content.selectedTemplate() == nullptr, test.selectionCleared) << test.tree;
    EXPECT_NE(content.dataVersion(), version);
    EXPECT_EQ(reloaded(), test.tree);
  }

  content.requestDeletion(outer);
  EXPECT_EQ(content.deletionTarget()->title(), "Delete Folder?");
  EXPECT_EQ(content.deletionTarget()->id(), "folder-" + outer->id().uuidString());
  content.confirmDeletion();
  content.confirmDeletion();  // a second confirmation has nothing left to delete
  EXPECT_EQ(reloaded(), "");
}

class ContentMoveTest : public ContentControllerTest {
 protected:
  void SetUp() override {
    a = request("A", 0, f);
    b = request("B", 1, f);
    c = request("C", 2, f);
    d = request("D", 3, f);
    sub = folder("sub", 0, g);
    saveAll();
  }
  std::string tree() const { return describe(content.rootItems()); }

  std::shared_ptr<RequestFolder> f = folder("f", 0);
  std::shared_ptr<RequestFolder> g = folder("g", 1);
  std::shared_ptr<RequestTemplate> top = request("top", 2);
  std::shared_ptr<RequestTemplate> a, b, c, d;
  std::shared_ptr<RequestFolder> sub;
};

TEST_F(ContentMoveTest, PayloadsThatNameNothingChangeNothing) {
  const std::string id = a->id().uuidString();
  const std::string lower = [&] {
    std::string text = d->id().uuidString();
    std::ranges::transform(text, text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
  }();
  struct Case {
    std::string payload;
    std::string tree;
  };
  const Case cases[] = {
      {"template:" + id + ":more", "f[A B C D] g[sub] top"},
      {"Template:" + id, "f[A B C D] g[sub] top"},
      {"folder:" + id, "f[A B C D] g[sub] top"},  // the kind must match
      {"template:not-a-uuid", "f[A B C D] g[sub] top"},
      {"template:" + platform::UUID().uuidString(), "f[A B C D] g[sub] top"},
      {"hello from elsewhere", "f[A B C D] g[sub] top"},
      {"template::" + id, "f[B C D] g[sub] top A"},
      {"template:" + lower, "f[B C] g[sub] top A D"},
  };
  for (const auto& test : cases) {
    content.moveItem(test.payload, nullptr, -1);
    EXPECT_EQ(tree(), test.tree) << test.payload;
  }
}

TEST_F(ContentMoveTest, MovesLandInTheGapDroppedOn) {
  const auto within = [this](const std::shared_ptr<RequestTemplate>& moved) { return moved->id().uuidString(); };
  struct Case {
    std::shared_ptr<RequestTemplate> moved;
    std::shared_ptr<RequestFolder> target;
    std::int64_t index;
    std::string tree;
  };
  const Case cases[] = {
      {a, f, 3, "f[B C A D] g[sub] top"},  // down: between C and D
      {d, f, 1, "f[B D C A] g[sub] top"},  // up: between B and C
      {b, f, 4, "f[D C A B] g[sub] top"},  // down past the end
      {c, f, 99, "f[D A B C] g[sub] top"},
      {a, f, -1, "f[D B C A] g[sub] top"},
      {a, g, 0, "f[D B C] g[A sub] top"},  // across parents: index as given
      {top, g, 1, "f[D B C] g[A top sub]"},
      {b, nullptr, 0, "B f[D C] g[A top sub]"},
  };
  for (const auto& test : cases) {
    content.moveItem("template:" + within(test.moved), test.target, test.index);
    EXPECT_EQ(tree(), test.tree);
    const auto entries = test.target ? FileSystemItem::siblings(test.target->subfolders(), test.target->templates())
                                     : content.rootItems();
    for (std::size_t order = 0; order < entries.size(); ++order) EXPECT_EQ(entries[order].sortOrder(), order);
  }
  EXPECT_EQ(reloaded(), tree());
}

TEST_F(ContentMoveTest, AFolderNeverMovesBeneathItself) {
  const std::string payload = "folder:" + g->id().uuidString();
  const auto version = content.dataVersion();
  content.moveItem(payload, g, -1);
  content.moveItem(payload, sub, 0);
  EXPECT_EQ(content.dataVersion(), version);
  EXPECT_EQ(tree(), "f[A B C D] g[sub] top");

  content.moveItem(payload, f, 2);
  EXPECT_EQ(tree(), "f[A B g[sub] C D] top");
  EXPECT_NE(content.dataVersion(), version);
  EXPECT_EQ(reloaded(), tree());
}

}  // namespace
}  // namespace wendalore
