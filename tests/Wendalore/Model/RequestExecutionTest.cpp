#include <gtest/gtest.h>

#include <algorithm>

#include "Platform/Store/ModelContainer.h"
#include "Platform/Store/SQLiteConnection.h"
#include "Wendalore/Model/RequestExecution.h"
#include "Wendalore/Model/RequestFolder.h"
#include "Wendalore/Model/RequestTemplate.h"
#include "tests/Platform/ScratchDirectory.h"

namespace wendalore {
namespace {

platform::Schema applicationSchema() { return platform::Schema::of<RequestTemplate, RequestFolder>(); }

std::vector<std::string> entityNames(const platform::Schema& schema) {
  std::vector<std::string> names;
  for (const auto& entity : schema.entities()) names.push_back(entity.name);
  std::ranges::sort(names);
  return names;
}

// Every table with its definition and every row, as SQLite holds them.
std::string storeContents(const std::filesystem::path& file) {
  platform::SQLiteConnection connection(file);
  std::string contents;
  platform::SQLiteStatement tables(connection, "SELECT name, sql FROM sqlite_master WHERE type = 'table' ORDER BY name");
  while (tables.step()) {
    const auto name = tables.textColumn(0);
    contents += tables.textColumn(1) + "\n";
    if (name == "StoreMetadata") continue;
    platform::SQLiteStatement rows(connection, "SELECT pk, document FROM \"" + name + "\" ORDER BY pk");
    while (rows.step()) contents += std::to_string(rows.integerColumn(0)) + " " + rows.textColumn(1) + "\n";
  }
  return contents;
}

TEST(RequestExecutionTest, StaysOutOfTheApplicationStore) {
  EXPECT_EQ(entityNames(applicationSchema()),
            (std::vector<std::string>{"RequestFolder", "RequestHeaderItem", "RequestQueryParam", "RequestTemplate"}));

  ScratchDirectory scratch;
  const auto file = scratch / "Wendalore.sqlite";
  {
    auto container = platform::ModelContainer::open(applicationSchema(), file);
    ASSERT_TRUE(container) << container.error()->description();
    auto folder = RequestFolder::make("Folder", nullptr);
    auto request = RequestTemplate::make("Request", "https://example.invalid/?q=1", "POST", folder, 0);
    request->setHeaders({RequestHeaderItem::make("Accept", "*/*")});
    request->setQueryParams({RequestQueryParam::make("q", "1", true)});
    (*container)->mainContext()->insert(folder);
    ASSERT_TRUE((*container)->mainContext()->save());
  }
  const auto before = storeContents(file);
  ASSERT_NE(before.find("RequestTemplate"), std::string::npos);
  {
    auto container = platform::ModelContainer::open(applicationSchema(), file);
    ASSERT_TRUE(container) << container.error()->description();
    auto templates = (*container)->mainContext()->fetch<RequestTemplate>();
    ASSERT_TRUE(templates);
    EXPECT_EQ(templates->size(), 1u);
  }
  const auto after = storeContents(file);
  EXPECT_EQ(after, before);
  EXPECT_EQ(after.find("RequestExecution"), std::string::npos);
}

TEST(RequestExecutionTest, LoadsFromAStoreThatNamesIt) {
  ScratchDirectory scratch;
  const auto file = scratch / "Executions.sqlite";
  const auto schema = platform::Schema::of<RequestExecution>();
  ASSERT_TRUE(platform::ModelContainer::open(schema, file));
  {
    platform::SQLiteConnection connection(file);
    connection.execute(
        R"(INSERT INTO "RequestExecution" (pk, document) VALUES (1, '{"timestamp": 1700000000.5, "url": "https://example.invalid/", )"
        R"("method": "PUT", "requestBody": "{}", "responseStatus": 201, "responseBody": "made", "duration": 0.25}'), )"
        R"((2, '{"timestamp": 1700000001, "url": "", "method": "GET", "responseStatus": 204, "responseBody": "", "duration": 0}'))");
  }
  auto container = platform::ModelContainer::open(schema, file);
  ASSERT_TRUE(container) << container.error()->description();
  auto executions = (*container)->mainContext()->fetch<RequestExecution>();
  ASSERT_TRUE(executions) << executions.error()->description();
  ASSERT_EQ(executions->size(), 2u);
  const auto& put = (*executions)[0];
  EXPECT_EQ(put->timestamp(), platform::Date{1'700'000'000.5});
  EXPECT_EQ(put->url(), "https://example.invalid/");
  EXPECT_EQ(put->method(), "PUT");
  EXPECT_EQ(put->requestBody(), std::optional<std::string>("{}"));
  EXPECT_EQ(put->responseStatus(), 201);
  EXPECT_EQ(put->responseBody(), "made");
  EXPECT_EQ(put->duration(), 0.25);
  EXPECT_EQ((*executions)[1]->requestBody(), std::nullopt);
}

}  // namespace
}  // namespace wendalore
