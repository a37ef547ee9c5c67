#include <gtest/gtest.h>

#include <algorithm>

#include "StoreTestSupport.h"
#include "tests/Platform/ScratchDirectory.h"

namespace {

std::string openFailure(const std::filesystem::path& file) {
  auto container = platform::ModelContainer::open(platform::Schema::of<Shelf>(), file);
  return container ? std::string() : container.error()->description();
}

std::filesystem::path withSuffix(std::filesystem::path file, const char* suffix) { return file += suffix; }

TEST(StoreSafetyTest, ASecondContainerOnTheSameFileIsRefusedUntilTheFirstCloses) {
  ScratchDirectory scratch;
  const auto file = scratch / "Books.sqlite";
  auto first = openShelves(file);
  ASSERT_TRUE(first);
  const auto failure = openFailure(file);
  EXPECT_NE(failure.find("is in use by another instance"), std::string::npos) << failure;
  EXPECT_NE(failure.find(file.string()), std::string::npos) << failure;

  first->mainContext()->insert(Shelf::make("A1"));
  ASSERT_TRUE(first->mainContext()->save());
  first.reset();
  auto second = openShelves(file);
  ASSERT_TRUE(second);
  EXPECT_EQ(fetchAll<Shelf>(*second->mainContext()).size(), 1u);
}

// A writer that goes around the lock takes the row a new object was given:
// the save fails and the other writer's row is kept, not overwritten.
TEST(StoreSafetyTest, ANewRowNeverOverwritesOneAlreadyInTheFile) {
  ScratchDirectory scratch;
  const auto file = scratch / "Books.sqlite";
  auto container = openShelves(file);
  auto shelf = Shelf::make("Ours");
  container->mainContext()->insert(shelf);
  const auto key = shelf->persistentModelID().primaryKey;
  platform::SQLiteConnection(file).execute("INSERT INTO \"Shelf\" (pk, document) VALUES (" + std::to_string(key) +
                                           ", '{\"code\":\"Theirs\",\"books\":[]}')");
  EXPECT_FALSE(container->mainContext()->save());
  EXPECT_NE(storedDocument(file, "Shelf", key).find("Theirs"), std::string::npos);

  // And a changed row that vanished fails rather than reporting success.
  platform::SQLiteConnection(file).execute("DELETE FROM \"Shelf\"");
  EXPECT_TRUE(container->mainContext()->save());
  shelf->setCode("Changed");
  platform::SQLiteConnection(file).execute("DELETE FROM \"Shelf\"");
  const auto saved = container->mainContext()->save();
  ASSERT_FALSE(saved);
  EXPECT_NE(saved.error()->description().find("is gone"), std::string::npos) << saved.error()->description();
}

TEST(StoreSafetyTest, RefusedFilesStayByteForByteAsTheyWere) {
  struct Case {
    const char* name;
    const char* sql;
    const char* failure;
  };
  const Case cases[] = {
      {"foreign", "CREATE TABLE accounts (name TEXT)", "not a store"},
      {"later", "CREATE TABLE StoreMetadata (key TEXT PRIMARY KEY, value TEXT NOT NULL);"
                "INSERT INTO StoreMetadata VALUES ('format', '2')",
       "format 2"},
  };
  ScratchDirectory scratch;
  for (const auto& [name, sql, expected] : cases) {
    const auto file = scratch / name;
    {
      platform::SQLiteConnection connection(file);
      connection.execute("PRAGMA journal_mode = DELETE");
      for (std::string_view rest = sql; !rest.empty();) {
        const auto end = std::min(rest.find(';'), rest.size());
        connection.execute(rest.substr(0, end));
        rest.remove_prefix(std::min(end + 1, rest.size()));
      }
    }
    const auto before = readWholeFile(file);
    EXPECT_NE(openFailure(file).find(expected), std::string::npos) << name << ": " << openFailure(file);
    EXPECT_EQ(readWholeFile(file), before) << name;
    for (const char* companion : {"-wal", "-shm", ".lock"}) {
      EXPECT_FALSE(std::filesystem::exists(withSuffix(file, companion))) << name << companion;
    }
  }
}

TEST(StoreSafetyTest, AStoreThatCannotBeMadeLeavesNoFileBehind) {
  ScratchDirectory scratch;
  const auto file = scratch / "Books.sqlite";
  // The write-ahead log's name is taken by a folder.
  std::filesystem::create_directory(withSuffix(file, "-wal"));
  EXPECT_NE(openFailure(file), "");
  EXPECT_FALSE(std::filesystem::exists(file));
  EXPECT_FALSE(std::filesystem::exists(withSuffix(file, ".lock")));
}

}  // namespace
