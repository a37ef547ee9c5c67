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
  EXPECT_EQ(whole.prefix(5).view(), "hello");
  EXPECT_EQ(whole.suffix(5).view(), "world");
  EXPECT_EQ(whole.suffix(50).view(), "hello world");
}

TEST(Data, AppendToASharedBufferLeavesTheOtherCopiesAlone) {
  const Data original("abc");
  Data copy = original;
  copy.append(std::string_view("def"));
  EXPECT_EQ(original.view(), "abc");
  EXPECT_EQ(copy.view(), "abcdef");

  Data slice = original.prefix(2);
  slice.append(std::string_view("X"));
  EXPECT_EQ(slice.view(), "abX");
  EXPECT_EQ(original.view(), "abc");
}

TEST(Data, AppendOfItsOwnBytesDoublesThem) {
  Data owned("abcd");
  owned.append(owned);
  EXPECT_EQ(owned.view(), "abcdabcd");

  // Grows past the capacity, so the source moves while being copied.
  Data large(std::string(1000, 'x'));
  large.append(large.bytes(), large.size());
  EXPECT_EQ(large.view(), std::string(2000, 'x'));
}

TEST(Data, AppendOfItsOwnBytesWhenItIsTheLastHolderOfASlicedBuffer) {
  Data slice = Data("hello world").subdata(6, 5);
  slice.append(slice);
  EXPECT_EQ(slice.view(), "worldworld");
}

TEST(Data, EqualityAndOrderingCompareTheBytes) {
  EXPECT_EQ(Data("ab"), Data("xab").suffix(2));
  EXPECT_EQ(Data(), Data(""));
  EXPECT_LT(Data("ab"), Data("b"));
  EXPECT_EQ(std::hash<Data>{}(Data("ab")), std::hash<Data>{}(Data("zab").suffix(2)));
}
