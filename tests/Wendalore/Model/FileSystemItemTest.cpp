#include <gtest/gtest.h>

#include <unordered_set>

#include "Wendalore/Model/FileSystemItem.h"

namespace wendalore {
namespace {

const platform::UUID zero{platform::UUID::Bytes{}};

TEST(FileSystemItemTest, OutlineIdentifierIsThePrefixAndTheUpperCaseUUID) {
  auto folder = RequestFolder::make("Folder", nullptr);
  folder->setId(zero);
  EXPECT_EQ(FileSystemItem(folder).outlineIdentifier(), "folder:00000000-0000-0000-0000-000000000000");
  auto request = RequestTemplate::make("Request", "", "GET", nullptr, 0);
  request->setId(*platform::UUID::fromString("0a1b2c3d-4e5f-6071-8293-a4b5c6d7e8f9"));
  EXPECT_EQ(FileSystemItem(request).outlineIdentifier(), "template:0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9");
}

TEST(FileSystemItemTest, NodesAreEqualWhenTheyWrapTheSameObject) {
  auto folder = RequestFolder::make("Same", nullptr);
  auto request = RequestTemplate::make("Same", "", "GET", nullptr, 0);
  request->setId(folder->id());
  auto twin = RequestFolder::make("Same", nullptr);
  twin->setId(folder->id());

  const FileSystemItem node(folder);
  EXPECT_EQ(node, FileSystemItem(folder));
  EXPECT_EQ(std::hash<FileSystemItem>{}(node), std::hash<FileSystemItem>{}(FileSystemItem(folder)));
  EXPECT_NE(node, FileSystemItem(request));
  EXPECT_NE(node, FileSystemItem(twin));
  EXPECT_NE(node.outlineIdentifier(), FileSystemItem(request).outlineIdentifier());
  EXPECT_EQ((std::unordered_set<FileSystemItem>{node, FileSystemItem(folder), FileSystemItem(request)}.size()), 2u);
  EXPECT_EQ(node.id(), folder->persistentModelID());
}

TEST(FileSystemItemTest, SortOrderIsReadFromTheObjectEachTime) {
  auto request = RequestTemplate::make("Request", "", "GET", nullptr, 3);
  const FileSystemItem node(request);
  EXPECT_EQ(node.sortOrder(), 3);
  request->setSortOrder(9);
  EXPECT_EQ(node.sortOrder(), 9);
}

TEST(FileSystemItemTest, SiblingsPutFoldersFirstAtEqualSortOrderAndKeepTheGivenOrder) {
  auto parent = RequestFolder::make("Parent", nullptr);
  auto laterFolder = RequestFolder::make("Later folder", parent);
  laterFolder->setSortOrder(2);
  auto firstFolder = RequestFolder::make("First folder", parent);
  auto secondFolder = RequestFolder::make("Second folder", parent);
  auto firstRequest = RequestTemplate::make("First request", "", "GET", parent, 0);
  auto secondRequest = RequestTemplate::make("Second request", "", "GET", parent, 0);
  auto middleRequest = RequestTemplate::make("Middle request", "", "GET", parent, 1);

  std::vector<std::string> names;
  for (const auto& item : FileSystemItem::siblings(parent->subfolders(), parent->templates())) {
    names.push_back(item.folder() ? item.folder()->name() : item.requestTemplate()->name());
  }
  EXPECT_EQ(names, (std::vector<std::string>{"First folder", "Second folder", "First request", "Second request",
                                              "Middle request", "Later folder"}));
  EXPECT_TRUE(FileSystemItem::siblings(std::nullopt, std::nullopt).empty());
}

}  // namespace
}  // namespace wendalore
