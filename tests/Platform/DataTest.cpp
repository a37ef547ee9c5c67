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

// Reserved room is the buffer's own: filling it moves nothing it holds and
// leaves the copies it shared storage with alone.
TEST(Data, ReservedRoomIsFilledInPlace) {
  const Data original("hello world");
  Data slice = original.subdata(6, 5);
  slice.reserve(1000);
  const auto* start = slice.bytes();
  for (int round = 0; round < 99; ++round) slice.append(std::string_view("abcdefghij"));
  EXPECT_EQ(slice.bytes(), start);
  EXPECT_EQ(slice.size(), 995u);
  EXPECT_EQ(slice.prefix(15).view(), "worldabcdefghij");
  EXPECT_EQ(original.view(), "hello world");

  Data empty;
  empty.reserve(4);
  EXPECT_TRUE(empty.empty());
  empty.append(std::string_view("abcd"));
  EXPECT_EQ(empty.view(), "abcd");
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
