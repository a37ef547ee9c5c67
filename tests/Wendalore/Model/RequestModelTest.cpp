#include <gtest/gtest.h>

#include "Platform/Coding/DecodingError.h"
#include "Platform/Store/ModelContainer.h"
#include "Platform/Store/SQLiteConnection.h"
#include "Wendalore/Model/RequestFolder.h"
#include "Wendalore/Model/RequestTemplate.h"
#include "tests/Platform/ScratchDirectory.h"

namespace wendalore {
namespace {

class RequestModelTest : public ::testing::Test {
 protected:
  std::filesystem::path file() const { return scratch / "Wendalore" / "Wendalore.sqlite"; }

  std::expected<std::shared_ptr<platform::ModelContainer>, platform::AnyError> open() {
    return platform::ModelContainer::open(platform::Schema::of<RequestTemplate, RequestFolder>(), file());
  }
  // As the next run of the program would: the store is closed first.
  std::shared_ptr<platform::ModelContext> reopen() {
    context.reset();
    container.reset();
    auto opened = open();
    if (!opened) {
      ADD_FAILURE() << opened.error()->description();
      return nullptr;
    }
    container = *opened;
    context = container->mainContext();
    return context;
  }
  template <class Model>
  std::vector<std::shared_ptr<Model>> all(const std::shared_ptr<platform::ModelContext>& from) {
    return from->fetch<Model>().value_or(std::vector<std::shared_ptr<Model>>{});
  }

  ScratchDirectory scratch;
  std::shared_ptr<platform::ModelContainer> container = *open();
  std::shared_ptr<platform::ModelContext> context = container->mainContext();
};

TEST_F(RequestModelTest, NewObjectsStartWithTheirDefaults) {
  const auto before = platform::Date::now();
  auto folder = RequestFolder::make("New Folder", nullptr);
  EXPECT_EQ(folder->name(), "New Folder");
  EXPECT_TRUE(folder->isExpanded());
  EXPECT_EQ(folder->sortOrder(), 0);
  EXPECT_EQ(folder->subfolders(), ModelList<RequestFolder>{});
  EXPECT_EQ(folder->templates(), ModelList<RequestTemplate>{});
  EXPECT_EQ(folder->parent(), nullptr);
  EXPECT_GE(folder->createdAt(), before);
  EXPECT_NE(folder->id(), RequestFolder::make("New Folder", nullptr)->id());

  auto request = RequestTemplate::make("New Request", "", "GET", folder, 7);
  EXPECT_EQ(request->sortOrder(), 7);
  EXPECT_EQ(request->bodyType(), RequestBodyType::none);
  EXPECT_EQ(request->authType(), RequestAuthType::none);
  EXPECT_EQ(request->body(), "");
  EXPECT_EQ(request->authUsername() + request->authPassword() + request->authToken(), "");
  EXPECT_EQ(request->multipartFieldName(), "file");
  EXPECT_EQ(request->multipartFileName(), "upload.bin");
  EXPECT_EQ(request->multipartMimeType(), "application/octet-stream");
  EXPECT_EQ(request->multipartFileURL(), std::nullopt);
  EXPECT_EQ(request->lastExecuted(), std::nullopt);
  EXPECT_TRUE(request->queryParams().empty());
  EXPECT_TRUE(request->headers().empty());
  EXPECT_GE(request->updatedAt(), request->createdAt());

  EXPECT_TRUE(RequestHeaderItem::make("Accept", "*/*")->isEnabled());
  EXPECT_TRUE(RequestQueryParam::make("q", "1", true)->isEnabled());
  EXPECT_FALSE(RequestQueryParam::make("q", "1", false)->isEnabled());
}

TEST_F(RequestModelTest, EitherEndOfAFolderRelationshipUpdatesTheOther) {
  auto left = RequestFolder::make("Left", nullptr);
  auto right = RequestFolder::make("Right", nullptr);
  auto child = RequestFolder::make("Child", left);
  auto request = RequestTemplate::make("Request", "", "GET", left, 0);
  EXPECT_EQ(left->subfolders(), ModelList<RequestFolder>{child});
  EXPECT_EQ(left->templates(), ModelList<RequestTemplate>{request});

  child->setParent(right);
  request->setFolder(right);
  EXPECT_EQ(left->subfolders(), ModelList<RequestFolder>{});
  EXPECT_EQ(left->templates(), ModelList<RequestTemplate>{});
  EXPECT_EQ(right->subfolders(), ModelList<RequestFolder>{child});
  EXPECT_EQ(right->templates(), ModelList<RequestTemplate>{request});

  left->setTemplates(ModelList<RequestTemplate>{request});
  EXPECT_EQ(request->folder(), left);
  EXPECT_EQ(right->templates(), ModelList<RequestTemplate>{});
  right->setSubfolders(std::nullopt);
  EXPECT_EQ(child->parent(), nullptr);
  EXPECT_EQ(right->subfolders(), std::nullopt);
}

TEST_F(RequestModelTest, IsDescendantWalksTheParentChainOnly) {
  auto c = RequestFolder::make("C", nullptr);
  auto b = RequestFolder::make("B", c);
  auto a = RequestFolder::make("A", b);
  auto folder = RequestFolder::make("Folder", a);
  auto sibling = RequestFolder::make("Sibling", a);
  EXPECT_TRUE(folder->isDescendant(a));
  EXPECT_TRUE(folder->isDescendant(b));
  EXPECT_TRUE(folder->isDescendant(c));
  EXPECT_FALSE(folder->isDescendant(folder));
  EXPECT_FALSE(folder->isDescendant(sibling));
  EXPECT_FALSE(c->isDescendant(folder));
  EXPECT_FALSE(c->isDescendant(nullptr));

  // A loop in the chain ends the walk instead of hanging.
  c->setParent(a);
  EXPECT_FALSE(folder->isDescendant(sibling));
  c->setParent(nullptr);  // the loop would keep the folders alive
}

TEST_F(RequestModelTest, DeletingAFolderDeletesEverythingBeneathIt) {
  auto top = RequestFolder::make("Top", nullptr);
  auto inner = RequestFolder::make("Inner", top);
  auto request = RequestTemplate::make("Request", "https://example.invalid", "GET", inner, 0);
  request->setHeaders({RequestHeaderItem::make("A", "1"), RequestHeaderItem::make("B", "2")});
  request->setQueryParams({RequestQueryParam::make("q", "x", true)});
  auto survivor = RequestTemplate::make("Survivor", "", "GET", nullptr, 0);
  context->insert(top);
  context->insert(survivor);
  ASSERT_TRUE(context->save());

  context->deleteModel(top);
  ASSERT_TRUE(context->save());
  EXPECT_TRUE(all<RequestFolder>(context).empty());
  EXPECT_TRUE(all<RequestHeaderItem>(context).empty());
  EXPECT_TRUE(all<RequestQueryParam>(context).empty());
  auto reopened = reopen();
  EXPECT_TRUE(all<RequestFolder>(reopened).empty());
  EXPECT_TRUE(all<RequestHeaderItem>(reopened).empty());
  EXPECT_TRUE(all<RequestQueryParam>(reopened).empty());
  auto templates = all<RequestTemplate>(reopened);
  ASSERT_EQ(templates.size(), 1u);
  EXPECT_EQ(templates[0]->name(), "Survivor");
}

TEST_F(RequestModelTest, ATemplateComesBackFromTheStoreFieldForField) {
  auto folder = RequestFolder::make("Folder", nullptr);
  folder->setIsExpanded(false);
  folder->setSortOrder(4);
  auto request = RequestTemplate::make("Get user", "https://example.invalid/users?id=7", "PATCH", folder, 2);
  request->setHeaders({RequestHeaderItem::make("Z-Last", "z"), RequestHeaderItem::make("A-First", "")});
  request->headers()[1]->setIsEnabled(false);
  request->setQueryParams({RequestQueryParam::make("id", "7", true), RequestQueryParam::make("off", "", false)});
  request->setBodyType(RequestBodyType::json);
  request->setBody("{\"a\": \"\\u00e9\"}");
  request->setAuthType(RequestAuthType::bearer);
  request->setAuthUsername("user");
  request->setAuthPassword("pa:ss");
  request->setAuthToken("token");
  request->setMultipartFileURL("");
  request->setLastExecuted(platform::Date{1'700'000'000.123456});
  context->insert(folder);
  ASSERT_TRUE(context->save());

  auto reopened = reopen();
  auto folders = all<RequestFolder>(reopened);
  auto templates = all<RequestTemplate>(reopened);
  ASSERT_EQ(folders.size(), 1u);
  ASSERT_EQ(templates.size(), 1u);
  const auto& loaded = templates[0];
  EXPECT_EQ(folders[0]->id(), folder->id());
  EXPECT_EQ(folders[0]->createdAt(), folder->createdAt());
  EXPECT_FALSE(folders[0]->isExpanded());
  EXPECT_EQ(folders[0]->sortOrder(), 4);
  EXPECT_EQ(folders[0]->templates(), ModelList<RequestTemplate>{loaded});
  EXPECT_EQ(loaded->folder(), folders[0]);
  EXPECT_EQ(loaded->id(), request->id());
  EXPECT_EQ(loaded->name(), "Get user");
  EXPECT_EQ(loaded->url(), "https://example.invalid/users?id=7");
  EXPECT_EQ(loaded->method(), "PATCH");
  EXPECT_EQ(loaded->sortOrder(), 2);
  EXPECT_EQ(loaded->createdAt(), request->createdAt());
  EXPECT_EQ(loaded->updatedAt(), request->updatedAt());
  EXPECT_EQ(loaded->lastExecuted(), request->lastExecuted());
  ASSERT_EQ(loaded->headers().size(), 2u);
  EXPECT_EQ(loaded->headers()[0]->key(), "Z-Last");
  EXPECT_EQ(loaded->headers()[1]->key(), "A-First");
  EXPECT_EQ(loaded->headers()[1]->value(), "");
  EXPECT_FALSE(loaded->headers()[1]->isEnabled());
  EXPECT_EQ(loaded->headers()[0]->id(), request->headers()[0]->id());
  ASSERT_EQ(loaded->queryParams().size(), 2u);
  EXPECT_EQ(loaded->queryParams()[0]->key(), "id");
  EXPECT_FALSE(loaded->queryParams()[1]->isEnabled());
  EXPECT_EQ(loaded->bodyType(), RequestBodyType::json);
  EXPECT_EQ(loaded->body(), "{\"a\": \"\\u00e9\"}");
  EXPECT_EQ(loaded->authType(), RequestAuthType::bearer);
  EXPECT_EQ(loaded->authPassword(), "pa:ss");
  EXPECT_EQ(loaded->authToken(), "token");
  EXPECT_EQ(loaded->multipartFileURL(), std::optional<std::string>(""));
  EXPECT_EQ(loaded->multipartFieldName(), "file");
}

TEST_F(RequestModelTest, KindsAreStoredAsTheirTextsAndUnknownTextsAreRefused) {
  auto request = RequestTemplate::make("Request", "", "GET", nullptr, 0);
  request->setAuthType(RequestAuthType::bearer);
  context->insert(request);
  ASSERT_TRUE(context->save());
  const auto key = std::to_string(request->persistentModelID().primaryKey);
  container.reset();
  context.reset();
  {
    platform::SQLiteConnection connection(file());
    EXPECT_EQ(connection.text("SELECT json_extract(document, '$.authType') FROM RequestTemplate WHERE pk = " + key),
              "Bearer Token");
    connection.execute("UPDATE RequestTemplate SET document = json_set(document, '$.bodyType', 'json')");
  }
  auto opened = open();
  ASSERT_FALSE(opened);
  const auto* decodingError = platform::errorAs<platform::DecodingError>(opened.error());
  ASSERT_NE(decodingError, nullptr) << opened.error()->description();
  EXPECT_EQ(decodingError->kind(), platform::DecodingError::Kind::dataCorrupted);
  EXPECT_NE(decodingError->description().find("RequestTemplate row " + key), std::string::npos)
      << decodingError->description();
}

TEST_F(RequestModelTest, TwoTemplatesMayNotShareAnId) {
  auto first = RequestTemplate::make("First", "", "GET", nullptr, 0);
  auto second = RequestTemplate::make("Second", "", "GET", nullptr, 0);
  second->setId(first->id());
  context->insert(first);
  context->insert(second);
  EXPECT_FALSE(context->save());
  EXPECT_TRUE(all<RequestTemplate>(reopen()).empty());
}

TEST_F(RequestModelTest, DeletingATemplateTakesItOutOfItsFolder) {
  auto folder = RequestFolder::make("Folder", nullptr);
  auto kept = RequestTemplate::make("Kept", "", "GET", folder, 0);
  auto removed = RequestTemplate::make("Removed", "", "GET", folder, 1);
  removed->setHeaders({RequestHeaderItem::make("A", "1")});
  context->insert(folder);
  ASSERT_TRUE(context->save());
  context->deleteModel(removed);
  EXPECT_EQ(folder->templates(), ModelList<RequestTemplate>{kept});
  ASSERT_TRUE(context->save());
  auto reopened = reopen();
  EXPECT_EQ(all<RequestTemplate>(reopened).size(), 1u);
  EXPECT_TRUE(all<RequestHeaderItem>(reopened).empty());
}

}  // namespace
}  // namespace wendalore
