#include <gtest/gtest.h>

#include "Platform/Store/StoreError.h"
#include "StoreTestSupport.h"
#include "tests/Platform/ScratchDirectory.h"

namespace {

class ModelContextTest : public ::testing::Test {
 protected:
  std::filesystem::path file() const { return scratch / "Store" / "Books.sqlite"; }
  // As the next run of the program would: the store is closed first.
  std::shared_ptr<platform::ModelContext> reopen() {
    context.reset();
    container.reset();
    container = openShelves(file());
    context = container ? container->mainContext() : nullptr;
    return context;
  }
  void TearDown() override { container.reset(); }

  ScratchDirectory scratch;
  std::shared_ptr<platform::ModelContainer> container = openShelves(file());
  std::shared_ptr<platform::ModelContext> context = container->mainContext();
};

TEST_F(ModelContextTest, SavedObjectsComeBackWithTheirFieldsRelationshipsAndOrder) {
  auto shelf = Shelf::make("A1");
  for (const char* title : {"Zeta", "Alpha", "Mu"}) shelf->add(Book::make(title));
  shelf->books()[0]->setSubtitle("");  // empty, not absent
  shelf->books()[1]->setSubtitle("The first");
  context->insert(shelf);
  ASSERT_TRUE(context->save());

  auto reopened = reopen();
  auto shelves = fetchAll<Shelf>(*reopened);
  ASSERT_EQ(shelves.size(), 1u);
  const auto& books = shelves[0]->books();
  ASSERT_EQ(books.size(), 3u);
  EXPECT_EQ(books[0]->title(), "Zeta");
  EXPECT_EQ(books[1]->title(), "Alpha");
  EXPECT_EQ(books[2]->title(), "Mu");
  EXPECT_EQ(books[0]->subtitle(), std::optional<std::string>(""));
  EXPECT_EQ(books[1]->subtitle(), std::optional<std::string>("The first"));
  EXPECT_EQ(books[2]->subtitle(), std::nullopt);
  EXPECT_EQ(books[0]->shelf(), shelves[0]);
}

TEST_F(ModelContextTest, OneObjectPerStoredRow) {
  auto shelf = Shelf::make("A1");
  shelf->add(Book::make("Only"));
  context->insert(shelf);
  // Before a save the inserted objects are what fetches give.
  EXPECT_EQ(fetchAll<Shelf>(*context).at(0), shelf);
  ASSERT_TRUE(context->save());

  auto reopened = reopen();
  auto first = fetchAll<Book>(*reopened);
  auto second = fetchAll<Book>(*reopened);
  ASSERT_EQ(first.size(), 1u);
  EXPECT_EQ(first[0], second[0]);
  EXPECT_EQ(fetchAll<Shelf>(*reopened).at(0)->books().at(0), first[0]);
  EXPECT_EQ(first[0]->persistentModelID(), second[0]->persistentModelID());
  EXPECT_FALSE(first[0]->persistentModelID().isTemporary);
}

TEST_F(ModelContextTest, IdentifiersAreTemporaryUntilInsertAndThenStable) {
  auto shelf = Shelf::make("A1");
  const auto before = shelf->persistentModelID();
  EXPECT_TRUE(before.isTemporary);
  EXPECT_NE(before, Shelf::make("A1")->persistentModelID());
  context->insert(shelf);
  const auto inserted = shelf->persistentModelID();
  EXPECT_FALSE(inserted.isTemporary);
  ASSERT_TRUE(context->save());
  EXPECT_EQ(shelf->persistentModelID(), inserted);
  EXPECT_EQ(fetchAll<Shelf>(*reopen()).at(0)->persistentModelID(), inserted);
}

TEST_F(ModelContextTest, FetchFiltersAndKeepsInsertionOrder) {
  for (const char* code : {"C", "A", "B"}) context->insert(Shelf::make(code));
  ASSERT_TRUE(context->save());
  context->insert(Shelf::make("AA"));

  auto all = fetchAll<Shelf>(*context);
  ASSERT_EQ(all.size(), 4u);
  EXPECT_EQ(all[0]->code(), "C");
  EXPECT_EQ(all[3]->code(), "AA");
  auto startingWithA = context->fetch<Shelf>([](const Shelf& shelf) { return shelf.code().starts_with("A"); });
  ASSERT_TRUE(startingWithA);
  ASSERT_EQ(startingWithA->size(), 2u);
  EXPECT_EQ((*startingWithA)[0]->code(), "A");
  EXPECT_EQ((*startingWithA)[1]->code(), "AA");
}

TEST_F(ModelContextTest, ObjectsAddedToARelationshipAreSavedWithoutAnInsert) {
  auto shelf = Shelf::make("A1");
  context->insert(shelf);
  ASSERT_TRUE(context->save());
  shelf->add(Book::make("Appended later"));
  ASSERT_TRUE(context->save());
  EXPECT_EQ(fetchAll<Book>(*context).size(), 1u);
  EXPECT_EQ(fetchAll<Shelf>(*reopen()).at(0)->books().at(0)->title(), "Appended later");
}

TEST_F(ModelContextTest, DeletingCascadesAndTakesTheObjectOutOfItsOwner) {
  auto kept = Shelf::make("Kept");
  auto doomed = Shelf::make("Doomed");
  kept->add(Book::make("Stays"));
  kept->add(Book::make("Goes alone"));
  doomed->add(Book::make("Goes with shelf"));
  context->insert(kept);
  context->insert(doomed);
  ASSERT_TRUE(context->save());

  context->deleteModel(doomed);
  context->deleteModel(kept->books()[1]);
  EXPECT_TRUE(doomed->isDeleted());
  EXPECT_EQ(fetchAll<Shelf>(*context).size(), 1u);
  ASSERT_EQ(fetchAll<Book>(*context).size(), 1u);
  EXPECT_EQ(kept->books().size(), 1u);
  ASSERT_TRUE(context->save());

  auto reopened = reopen();
  auto shelves = fetchAll<Shelf>(*reopened);
  ASSERT_EQ(shelves.size(), 1u);
  EXPECT_EQ(shelves[0]->code(), "Kept");
  ASSERT_EQ(fetchAll<Book>(*reopened).size(), 1u);
  EXPECT_EQ(shelves[0]->books().at(0)->title(), "Stays");
}

TEST_F(ModelContextTest, DeletingAnUnsavedObjectWritesNothingForIt) {
  auto shelf = Shelf::make("Never saved");
  context->insert(shelf);
  context->deleteModel(shelf);
  ASSERT_TRUE(context->save());
  EXPECT_TRUE(fetchAll<Shelf>(*reopen()).empty());
}

TEST_F(ModelContextTest, ADeletedObjectCanBeInsertedAgainBeforeTheSave) {
  auto shelf = Shelf::make("Back");
  context->insert(shelf);
  ASSERT_TRUE(context->save());
  context->deleteModel(shelf);
  context->insert(shelf);
  ASSERT_TRUE(context->save());
  EXPECT_EQ(fetchAll<Shelf>(*reopen()).size(), 1u);
}

TEST_F(ModelContextTest, AFailedSaveLeavesTheFileAsItWasAndKeepsTheChangesPending) {
  auto shelf = Shelf::make("A1");
  shelf->add(Book::make("Original"));
  context->insert(shelf);
  ASSERT_TRUE(context->save());

  shelf->books()[0]->setTitle("Edited");
  auto clash = Shelf::make("A1");  // the code is the shelf's unique field
  context->insert(clash);
  auto failed = context->save();
  ASSERT_FALSE(failed);
  EXPECT_NE(platform::errorAs<platform::StoreError>(failed.error()), nullptr);
  EXPECT_NE(failed.error()->description().find("UNIQUE"), std::string::npos) << failed.error()->description();
  EXPECT_EQ(storedDocument(file(), "Book", shelf->books()[0]->persistentModelID().primaryKey),
            R"({"subtitle":null,"title":"Original"})");

  clash->setCode("B1");
  ASSERT_TRUE(context->save());
  auto reopened = reopen();
  EXPECT_EQ(fetchAll<Shelf>(*reopened).size(), 2u);
  EXPECT_EQ(fetchAll<Book>(*reopened).at(0)->title(), "Edited");
}

TEST_F(ModelContextTest, TextThatIsNotUTF8FailsTheSaveInsteadOfTheProgram) {
  auto shelf = Shelf::make("A1");
  context->insert(shelf);
  ASSERT_TRUE(context->save());
  shelf->setCode("A\xff");
  auto failed = context->save();
  ASSERT_FALSE(failed);
  EXPECT_NE(failed.error()->description().find("Shelf row 1"), std::string::npos) << failed.error()->description();
  EXPECT_EQ(storedDocument(file(), "Shelf", 1), R"({"books":[],"code":"A1"})");
  shelf->setCode("A2");
  EXPECT_TRUE(context->save());
}

TEST_F(ModelContextTest, ObserversHearOfFieldWritesAndContextChanges) {
  auto shelf = Shelf::make("A1");
  std::vector<std::string> fields;
  auto fieldToken = shelf->observe([&](std::string_view field) { fields.emplace_back(field); });
  int contextChanges = 0;
  auto contextToken = context->observeChanges([&] { ++contextChanges; });

  shelf->setCode("A1");  // the same value still counts as a write
  EXPECT_EQ(fields, std::vector<std::string>{"code"});
  EXPECT_EQ(contextChanges, 0);  // not in the context yet

  context->insert(shelf);
  shelf->setCode("A2");
  ASSERT_TRUE(context->save());
  context->deleteModel(shelf);
  EXPECT_EQ(contextChanges, 4);

  contextToken.cancel();
  fieldToken = platform::ObservationToken();
  shelf->setCode("A3");
  ASSERT_TRUE(context->save());
  EXPECT_EQ(contextChanges, 4);
  EXPECT_EQ(fields.size(), 2u);
}

TEST_F(ModelContextTest, AnObserverMayCancelAnotherDuringANotification) {
  auto shelf = Shelf::make("A1");
  int secondCalls = 0;
  platform::ObservationToken second;
  auto first = shelf->observe([&](std::string_view) { second.cancel(); });
  second = shelf->observe([&](std::string_view) { ++secondCalls; });
  shelf->setCode("B");
  EXPECT_EQ(secondCalls, 0);
}

TEST_F(ModelContextTest, FieldsTheModelDoesNotKnowSurviveARewrite) {
  auto shelf = Shelf::make("A1");
  context->insert(shelf);
  ASSERT_TRUE(context->save());
  const auto key = shelf->persistentModelID().primaryKey;
  container.reset();
  context.reset();
  shelf.reset();
  {
    platform::SQLiteConnection connection(file());
    connection.execute(R"(UPDATE "Shelf" SET document = '{"code":"A1","books":[],"colour":"red"}' WHERE pk = )" +
                       std::to_string(key));
  }
  auto reopened = reopen();
  fetchAll<Shelf>(*reopened).at(0)->setCode("A9");
  ASSERT_TRUE(reopened->save());
  EXPECT_EQ(storedDocument(file(), "Shelf", key), R"({"books":[],"code":"A9","colour":"red"})");
}

}  // namespace
