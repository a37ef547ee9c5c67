#include <gtest/gtest.h>

#include <set>

#include "FullDisk.h"
#include "ImmutableFile.h"
#include "SavedStoreCopy.h"
#include "StoreTestSupport.h"
#include "tests/Platform/ScratchDirectory.h"

namespace {

std::string openFailure(const std::filesystem::path& file) {
  auto container = platform::ModelContainer::open(platform::Schema::of<Shelf>(), file);
  return container ? std::string() : container.error()->description();
}

std::set<std::string> namesIn(const std::filesystem::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.insert(entry.path().filename().string());
  return names;
}

// A store file and its folder as they were, to be found so after a refusal.
class Untouched {
 public:
  explicit Untouched(std::filesystem::path file)
      : file_(std::move(file)), bytes_(readWholeFile(file_)), names_(namesIn(file_.parent_path())) {}
  void expectStill(std::string_view context) const {
    EXPECT_TRUE(readWholeFile(file_) == bytes_) << context;
    EXPECT_EQ(namesIn(file_.parent_path()), names_) << context;
  }

 private:
  std::filesystem::path file_;
  std::string bytes_;
  std::set<std::string> names_;
};

// A store of one shelf written by this program, then left in the given
// journal mode as another tool might leave it.
std::filesystem::path savedStore(const ScratchDirectory& scratch, const char* journalMode) {
  const auto file = scratch / "Books.sqlite";
  {
    auto container = openShelves(file);
    container->mainContext()->insert(Shelf::make("A1"));
    EXPECT_TRUE(container->mainContext()->save());
  }
  platform::SQLiteConnection(file).execute(std::string("PRAGMA journal_mode = ") + journalMode);
  return file;
}

TEST(StoreWriteFailureTest, AFailedSaveIsAnnouncedAndItsChangesAreWrittenByTheNextSave) {
  ScratchDirectory scratch;
  const auto file = scratch / "Books.sqlite";
  FullDisk disk;
  auto container = openShelves(file);
  std::vector<std::string> failures;
  auto observation = container->mainContext()->observeSaveFailures(
      [&](const platform::Error& error) { failures.push_back(error.description()); });
  int saves = 0;
  auto saveObservation = container->mainContext()->observeSaves([&] { ++saves; });

  container->mainContext()->insert(Shelf::make("A1"));
  disk.setFull(true);
  EXPECT_FALSE(container->mainContext()->save());
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_NE(failures[0].find(file.string()), std::string::npos) << failures[0];
  EXPECT_NE(failures[0].find("full"), std::string::npos) << failures[0];

  EXPECT_EQ(saves, 0);

  disk.setFull(false);
  EXPECT_TRUE(container->mainContext()->save());
  EXPECT_EQ(failures.size(), 1u);
  EXPECT_EQ(saves, 1);
  auto saved = platform::testing::openSavedCopy(platform::Schema::of<Shelf>(), file);
  const auto shelves = fetchAll<Shelf>(*saved->mainContext());
  ASSERT_EQ(shelves.size(), 1u);
  EXPECT_EQ(shelves[0]->code(), "A1");
}

TEST(StoreWriteFailureTest, AStoreThatCannotBeWrittenIsRefusedUntouched) {
  ScratchDirectory scratch;
  const auto file = savedStore(scratch, "DELETE");
  const Untouched untouched(file);
  ImmutableFile immutable(file);
  if (!immutable.isSet()) GTEST_SKIP() << "this file system keeps no immutable attribute";

  const auto failure = openFailure(file);
  EXPECT_NE(failure.find("cannot be written: Operation not permitted"), std::string::npos) << failure;
  EXPECT_NE(failure.find(file.string()), std::string::npos) << failure;
  untouched.expectStill("immutable");
}

// Rows the models cannot read are found before the file is made ready for
// writing, which in a rollback-journal file would change its header.
TEST(StoreWriteFailureTest, ADamagedStoreIsRefusedByteForByteInEitherJournalMode) {
  for (const char* mode : {"DELETE", "WAL"}) {
    ScratchDirectory scratch;
    const auto file = savedStore(scratch, mode);
    platform::SQLiteConnection(file).execute("UPDATE \"Shelf\" SET document = 'not a document'");
    const Untouched untouched(file);

    const auto failure = openFailure(file);
    EXPECT_NE(failure.find("is damaged"), std::string::npos) << mode << ": " << failure;
    untouched.expectStill(mode);
  }
}

// The store lacks a table a later version added, so opening it must write.
TEST(StoreWriteFailureTest, AStoreRefusedOnAFullDiskLeavesOnlyWhatWasThere) {
  for (const char* mode : {"DELETE", "WAL"}) {
    ScratchDirectory scratch;
    const auto file = savedStore(scratch, mode);
    platform::SQLiteConnection(file).execute("DROP TABLE \"Book\"");
    const Untouched untouched(file);
    FullDisk disk;
    disk.setFull(true);

    const auto failure = openFailure(file);
    EXPECT_NE(failure.find("full"), std::string::npos) << mode << ": " << failure;
    untouched.expectStill(mode);

    // A new store that could not be made leaves nothing at all.
    EXPECT_NE(openFailure(scratch / "Fresh.sqlite"), "") << mode;
    untouched.expectStill(mode);
  }
}

// A log found beside the store may hold the last saves: a refusal keeps it.
TEST(StoreWriteFailureTest, ARefusalKeepsALogItFound) {
  ScratchDirectory scratch;
  const auto file = scratch / "Books.sqlite";
  platform::SQLiteConnection(file).execute("CREATE TABLE accounts (name TEXT)");
  const auto wal = scratch.write("Books.sqlite-wal", "");
  EXPECT_NE(openFailure(file).find("not a store"), std::string::npos);
  EXPECT_TRUE(std::filesystem::exists(wal));
}

}  // namespace
