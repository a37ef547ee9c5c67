#include <gtest/gtest.h>

#include "Platform/Text/AttributedString.h"
#include "Platform/Text/TextStorage.h"

using platform::AttributedString;
using platform::Color;
using platform::TextAttributes;
using platform::TextRange;
using platform::TextStorage;
using platform::TextStorageEditActions;

namespace {

const TextAttributes red{std::nullopt, Color{1, 0, 0, 1}, std::nullopt};
const TextAttributes blue{std::nullopt, Color{0, 0, 1, 1}, std::nullopt};
const TextAttributes green{std::nullopt, Color{0, 1, 0, 1}, std::nullopt};

std::vector<std::pair<std::string, TextAttributes>> runs(const AttributedString& text) {
  std::vector<std::pair<std::string, TextAttributes>> result;
  for (const auto& run : text.runs()) result.emplace_back(text.attributedSubstring(run.range).string(), run.attributes());
  return result;
}

AttributedString redBlue() {
  AttributedString text("abc", red);
  text.append(AttributedString("def", blue));
  return text;
}

TEST(AttributedString, PositionsCountUTF16Units) {
  const AttributedString text("a\U0001F600\u00e9");
  EXPECT_EQ(text.length(), 4u);
  EXPECT_EQ(text.string(), "a\U0001F600\u00e9");
  EXPECT_EQ(text.attributedSubstring({1, 2}).string(), "\U0001F600");
  // Ill-formed UTF-8 is repaired, not dropped.
  EXPECT_EQ(AttributedString(std::string_view("a\xff")).string(), "a\uFFFD");
}

TEST(AttributedString, ReplacingCharactersKeepsRunsInStep) {
  auto text = redBlue();
  text.replaceCharacters({2, 2}, u"XYZ");  // takes the first replaced character's attributes
  EXPECT_EQ(runs(text), (decltype(runs(text)){{"abXYZ", red}, {"ef", blue}}));
  text.replaceCharacters({7, 0}, u"!");  // appended text takes the last character's
  EXPECT_EQ(runs(text), (decltype(runs(text)){{"abXYZ", red}, {"ef!", blue}}));
  text.replaceCharacters({0, 0}, u">");
  EXPECT_EQ(runs(text), (decltype(runs(text)){{">abXYZ", red}, {"ef!", blue}}));
  text.replaceCharacters({0, 9}, u"");
  EXPECT_EQ(text.length(), 0u);
  EXPECT_TRUE(text.runs().empty());
}

TEST(AttributedString, SettingAttributesSplitsRuns) {
  auto text = redBlue();
  text.setAttributes(green, {2, 2});
  EXPECT_EQ(runs(text), (decltype(runs(text)){{"ab", red}, {"cd", green}, {"ef", blue}}));
  TextRange effective;
  EXPECT_EQ(text.attributesAt(3, &effective), green);
  EXPECT_EQ(effective, (TextRange{2, 2}));

  AttributedString source("x", blue);
  source.append(AttributedString("yz", red));
  text.setAttributes(source, 1);
  EXPECT_EQ(runs(text), (decltype(runs(text)){{"a", red}, {"b", blue}, {"cd", red}, {"ef", blue}}));
  EXPECT_EQ(text.string(), "abcdef");
}

TEST(AttributedString, RunsShareAttributesYetJoinAndCompareByValue) {
  const auto sharedRed = std::make_shared<const TextAttributes>(red);
  AttributedString text;
  text.append(u"ab", sharedRed);
  text.append(u"", blue);
  text.append(u"cd", red);  // equal to the shared run's, so it joins it
  text.append(u"ef", std::make_shared<const TextAttributes>(blue));
  text.append(u"gh", sharedRed);
  ASSERT_EQ(runs(text), (decltype(runs(text)){{"abcd", red}, {"ef", blue}, {"gh", red}}));
  EXPECT_EQ(text.runs()[0].style, sharedRed);
  EXPECT_EQ(text.runs()[2].style, sharedRed);

  // Texts built apart are equal when their runs' ranges and attributes are.
  AttributedString apart("abcd", red);
  apart.append(u"ef", blue);
  apart.append(u"gh", red);
  EXPECT_EQ(apart, text);
  apart.setAttributes(green, {6, 1});
  EXPECT_NE(apart, text);

  // A copy edited apart leaves the original's attributes as they were.
  AttributedString copy = text;
  copy.setAttributes(green, {0, 4});
  EXPECT_EQ(text.attributesAt(0), red);
  EXPECT_EQ(copy.attributesAt(0), green);
}

TEST(AttributedString, ParagraphRanges) {
  const AttributedString text("one\ntwo\r\nthree\rfour");
  EXPECT_EQ(text.paragraphRange({5, 0}), (TextRange{4, 5}));
  EXPECT_EQ(text.paragraphRange({8, 0}), (TextRange{4, 5}));  // the LF of a CR LF
  EXPECT_EQ(text.paragraphRange({2, 4}), (TextRange{0, 9}));
  EXPECT_EQ(text.paragraphRange({3, 1}), (TextRange{0, 4}));
  EXPECT_EQ(text.paragraphRange({19, 0}), (TextRange{15, 4}));
  EXPECT_EQ(AttributedString().paragraphRange({0, 0}), (TextRange{0, 0}));
}

TEST(AttributedStringDeathTest, RangesOutsideTheTextStop) {
  auto text = redBlue();
  EXPECT_DEATH(text.setAttributes(red, {4, 3}), "range \\{4, 3\\} lies outside the text of length 6");
  EXPECT_DEATH(text.attributesAt(6), "index 6 lies outside");
}

TEST(TextStorage, EditingGroupsAreProcessedOnce) {
  const auto storage = TextStorage::make();
  std::vector<std::tuple<TextStorageEditActions, TextRange, std::ptrdiff_t>> processed;
  storage->setDidProcessEditing([&](TextStorage& edited) {
    processed.emplace_back(edited.editedMask(), edited.editedRange(), edited.changeInLength());
  });
  storage->replaceCharacters({0, 0}, u"hello world");
  ASSERT_EQ(processed.size(), 1u);
  EXPECT_EQ(processed[0], std::tuple(TextStorageEditActions::characters, TextRange{0, 11}, 11));

  storage->beginEditing();
  storage->replaceCharacters({6, 5}, u"there");
  storage->setAttributes(red, {0, 2});
  storage->replaceCharacters({0, 0}, u">> ");
  EXPECT_EQ(processed.size(), 1u);
  storage->endEditing();
  ASSERT_EQ(processed.size(), 2u);
  EXPECT_EQ(processed[1], std::tuple(TextStorageEditActions::characters | TextStorageEditActions::attributes,
                                     TextRange{0, 14}, 3));
  EXPECT_EQ(storage->string(), ">> hello there");
  EXPECT_EQ(storage->attributesAt(3), red);

  storage->setAttributes(std::nullopt, {0, 14});
  EXPECT_EQ(storage->attributesAt(3), TextAttributes{});
}

}  // namespace
