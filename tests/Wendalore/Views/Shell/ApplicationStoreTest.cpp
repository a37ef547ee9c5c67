#include "Wendalore/Views/Shell/ApplicationStore.h"

#include <gtest/gtest.h>

#include "Platform/Store/SQLiteConnection.h"
#include "Wendalore/Model/RequestTemplate.h"
#include "tests/Platform/ScratchDirectory.h"
#include "tests/Platform/Store/ImmutableFile.h"

namespace wendalore {
namespace {

constexpr std::string_view failurePrefix = "Failed to initialize database: ";

class ApplicationStoreTest : public ::testing::Test {
 protected:
  std::filesystem::path file() const { return scratch / "data" / "Wendalore" / "Wendalore.sqlite"; }

  // A store holding one request, closed again.
  void seed() {
    auto container = ApplicationStore::open(file());
    ASSERT_TRUE(container) << container.error();
    (*container)->mainContext()->insert(RequestTemplate::make("Request", "https://example.invalid", "POST", nullptr, 0));
    ASSERT_TRUE((*container)->mainContext()->save());
  }

  ScratchDirectory scratch;
};

TEST_F(ApplicationStoreTest, AFileThatIsNotAReadableStoreIsRefusedAndLeftByteForByte) {
  const std::vector<std::pair<const char*, std::function<void()>>> damages = {
      {"garbage bytes",
       [&] {
         std::filesystem::create_directories(file().parent_path());
         std::ofstream(file(), std::ios::binary) << std::string(5000, '\x5a') << "not a database";
       }},
      {"truncated store",
       [&] {
         seed();
         std::filesystem::resize_file(file(), 1000);
       }},
      {"a row with an unknown body kind",
       [&] {
         seed();
         platform::SQLiteConnection(file()).execute(
             "UPDATE RequestTemplate SET document = json_set(document, '$.bodyType', 'Carrier Pigeon')");
       }},
  };
  for (const auto& [name, damage] : damages) {
    SCOPED_TRACE(name);
    std::filesystem::remove_all(scratch / "data");
    damage();
    const auto before = readWholeFile(file());

    const auto opened = ApplicationStore::open(file());

    ASSERT_FALSE(opened);
    EXPECT_TRUE(opened.error().starts_with(failurePrefix)) << opened.error();
    EXPECT_GT(opened.error().size(), failurePrefix.size());
    EXPECT_EQ(readWholeFile(file()), before);
  }
}

// Every save would fail unseen: the store is refused at start instead.
TEST_F(ApplicationStoreTest, AStoreFileThatCannotBeWrittenIsRefused) {
  seed();
  ImmutableFile immutable(file());
  if (!immutable.isSet()) GTEST_SKIP() << "this file system keeps no immutable attribute";
  const auto container = ApplicationStore::open(file());
  ASSERT_FALSE(container);
  EXPECT_TRUE(container.error().starts_with(std::string(failurePrefix) + "The store " + file().string() +
                                            " cannot be written: "))
      << container.error();
}

}  // namespace
}  // namespace wendalore
