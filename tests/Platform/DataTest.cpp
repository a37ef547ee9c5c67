#include <gtest/gtest.h>

#include <string>

#include "Platform/Foundation/Data.h"

using platform::Data;

TEST(Data, SlicesShareStorageAndClampToTheBytesHeld) {
  const Data whole("hello world");
  const Data world = whole.subdata(6, 5);
  EXPECT_EQ(world.view(), "world");
  EXPECT_EQ(world.bytes(), whole.bytes() + 6);
  EXPECT_EQ(whole.subdata(6, 100).view(), "world");
  EXPECT_TRUE(whole.subdata(100, 3).empty());
  EXPECT_EQ(whole.suffix(50).view(), "hello world");
}

TEST(Data, AppendToASharedBufferLeavesTheOtherCopiesAlone) {
  const Data original("abc");
  Data copy = original;
  copy.append(std::string_view("def"));
  Data slice = original.prefix(2);
  slice.append(std::string_view("X"));
  EXPECT_EQ(original.view(), "abc");
  EXPECT_EQ(copy.view(), "abcdef");
  EXPECT_EQ(slice.view(), "abX");
}

TEST(Data, AppendOfItsOwnBytes) {
  // Grows past the capacity, so the source moves while being copied.
  Data owned(std::string(1000, 'x'));
  owned.append(owned);
  EXPECT_EQ(owned.view(), std::string(2000, 'x'));

  // The last holder of a sliced buffer replaces the storage its bytes are in.
  Data slice = Data("hello world").subdata(6, 5);
  slice.append(slice);
  EXPECT_EQ(slice.view(), "worldworld");
}

// An empty buffer takes what is appended to it by sharing; either side
// changing later leaves the other as it was.
TEST(Data, AppendToAnEmptyBufferShares) {
  const Data source("abc");
  Data target;
  target.append(source);
  EXPECT_EQ(target.bytes(), source.bytes());
  target.append(std::string_view("d"));
  Data other = source;
  other.append(std::string_view("e"));
  EXPECT_EQ(source.view(), "abc");
  EXPECT_EQ(target.view(), "abcd");
  EXPECT_EQ(other.view(), "abce");
}
