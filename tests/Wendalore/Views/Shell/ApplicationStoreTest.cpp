#include "Wendalore/Views/Shell/ApplicationStore.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include "Platform/Store/SQLiteConnection.h"
#include "Wendalore/Model/RequestFolder.h"
#include "Wendalore/Model/RequestTemplate.h"
#include "tests/Platform/ScratchDirectory.h"

namespace wendalore {
namespace {

constexpr std::string_view failurePrefix = "Failed to initialize database: ";

class ApplicationStoreTest : public ::testing::Test {
 protected:
  std::filesystem::path file() const { return scratch / "data" / "Wendalore" / "Wendalore.sqlite"; }

  // A store holding one folder with one request, closed again.
  void seed() {
    auto container = ApplicationStore::open(file());
    ASSERT_TRUE(container) << container.error();
    auto folder = RequestFolder::make("Folder", nullptr);
    RequestTemplate::make("Request", "https://example.invalid", "POST", folder, 0);
    (*container)->mainContext()->insert(folder);
    ASSERT_TRUE((*container)->mainContext()->save());
  }

  ScratchDirectory scratch;
};

TEST_F(ApplicationStoreTest, TheFirstStartMakesTheFolderAndLaterStartsFindWhatWasSaved) {
  seed();
  auto reopened = ApplicationStore::open(file());
  ASSERT_TRUE(reopened) << reopened.error();
  auto folders = (*reopened)->mainContext()->fetch<RequestFolder>();
  ASSERT_TRUE(folders);
  ASSERT_EQ(folders->size(), 1u);
  ASSERT_EQ((*folders)[0]->templates()->size(), 1u);
  EXPECT_EQ((*(*folders)[0]->templates())[0]->method(), "POST");
}

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

TEST_F(ApplicationStoreTest, TheStoreLivesInTheUsersDataDirectory) {
  const std::string home = scratch.path().string();
  const std::vector<std::tuple<const char*, std::string>> cases = {
      {"/elsewhere/data", "/elsewhere/data/Wendalore/Wendalore.sqlite"},
      // The convention ignores a relative directory.
      {"relative/data", home + "/.local/share/Wendalore/Wendalore.sqlite"},
      {"", home + "/.local/share/Wendalore/Wendalore.sqlite"},
  };
  const std::string savedHome = getenv("HOME") ? getenv("HOME") : "";
  const char* savedDataHome = getenv("XDG_DATA_HOME");
  const std::string savedDataHomeText = savedDataHome ? savedDataHome : "";
  setenv("HOME", home.c_str(), 1);
  for (const auto& [dataHome, expected] : cases) {
    setenv("XDG_DATA_HOME", dataHome, 1);
    EXPECT_EQ(ApplicationStore::defaultFile(), std::filesystem::path(expected)) << dataHome;
  }
  setenv("HOME", savedHome.c_str(), 1);
  if (savedDataHome) setenv("XDG_DATA_HOME", savedDataHomeText.c_str(), 1);
  else unsetenv("XDG_DATA_HOME");
}

}  // namespace
}  // namespace wendalore
