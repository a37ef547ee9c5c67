#include <gtest/gtest.h>
#include <unistd.h>

#include "StoreTestSupport.h"
#include "tests/Platform/ScratchDirectory.h"

namespace {

std::string openFailure(const std::filesystem::path& file) {
  auto container = platform::ModelContainer::open(platform::Schema::of<Shelf>(), file);
  return container ? std::string() : container.error()->description();
}

TEST(ModelContainerTest, CreatesTheFileAndItsFolderInWriteAheadLogMode) {
  ScratchDirectory scratch;
  const auto file = scratch / "Application Support" / "Books" / "Books.sqlite";
  auto container = openShelves(file);
  ASSERT_TRUE(container);
  EXPECT_EQ(container->url(), file);
  EXPECT_TRUE(std::filesystem::exists(file));
  platform::SQLiteConnection connection(file);
  EXPECT_EQ(connection.text("PRAGMA journal_mode"), "wal");
  EXPECT_TRUE(fetchAll<Shelf>(*container->mainContext()).empty());
}

TEST(ModelContainerTest, RefusesFilesItDidNotWriteAndLeavesThemAlone) {
  ScratchDirectory scratch;
  const auto text = scratch.write("notes.sqlite", "these are notes, not a database");
  EXPECT_NE(openFailure(text), "");
  EXPECT_EQ(readWholeFile(text), "these are notes, not a database");

  const auto foreign = scratch / "foreign.sqlite";
  platform::SQLiteConnection(foreign).execute("CREATE TABLE accounts (name TEXT)");
  EXPECT_NE(openFailure(foreign).find("not a store"), std::string::npos) << openFailure(foreign);
  EXPECT_FALSE(platform::SQLiteConnection(foreign).text("SELECT name FROM sqlite_schema WHERE name = 'Shelf'"));

  const auto later = scratch / "later.sqlite";
  ASSERT_TRUE(openShelves(later));
  platform::SQLiteConnection(later).execute("UPDATE StoreMetadata SET value = '2' WHERE key = 'format'");
  EXPECT_NE(openFailure(later).find("format 2"), std::string::npos) << openFailure(later);
}

TEST(ModelContainerTest, AnUnreadableRecordFailsTheOpenWithoutWriting) {
  ScratchDirectory scratch;
  const auto file = scratch / "Books.sqlite";
  {
    auto container = openShelves(file);
    container->mainContext()->insert(Shelf::make("A1"));
    ASSERT_TRUE(container->mainContext()->save());
  }
  const std::string damaged = R"({"code":42,"books":[]})";
  platform::SQLiteConnection(file).execute("UPDATE \"Shelf\" SET document = '" + damaged + "'");
  EXPECT_NE(openFailure(file).find("\"code\" of Shelf row 1"), std::string::npos) << openFailure(file);
  EXPECT_EQ(storedDocument(file, "Shelf", 1), damaged);
}

// A process that saves and then dies without closing anything: the save
// must be in the file for the next process.
TEST(ModelContainerTest, ASavedChangeSurvivesACrashOfTheProcess) {
  ScratchDirectory scratch;
  const auto file = scratch / "Books.sqlite";
  EXPECT_EXIT(
      {
        auto container = openShelves(file);
        auto shelf = Shelf::make("Before the crash");
        shelf->add(Book::make("Kept"));
        container->mainContext()->insert(shelf);
        _exit(container->mainContext()->save() ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
  auto container = openShelves(file);
  auto shelves = fetchAll<Shelf>(*container->mainContext());
  ASSERT_EQ(shelves.size(), 1u);
  EXPECT_EQ(shelves[0]->books().at(0)->title(), "Kept");
}

TEST(ModelContainerTest, RowNumbersAreNotReusedAfterReopening) {
  ScratchDirectory scratch;
  const auto file = scratch / "Books.sqlite";
  {
    auto container = openShelves(file);
    container->mainContext()->insert(Shelf::make("A"));
    container->mainContext()->insert(Shelf::make("B"));
    ASSERT_TRUE(container->mainContext()->save());
  }
  auto container = openShelves(file);
  auto shelf = Shelf::make("C");
  container->mainContext()->insert(shelf);
  EXPECT_EQ(shelf->persistentModelID().primaryKey, 3);
  ASSERT_TRUE(container->mainContext()->save());
  container.reset();
  EXPECT_EQ(fetchAll<Shelf>(*openShelves(file)->mainContext()).size(), 3u);
}

}  // namespace
