#include <gtest/gtest.h>

#include <chrono>
#include <algorithm>
#include <tuple>

#include "Highlighter/CodeAttributedString.h"
#include "Platform/Dispatch/RunLoop.h"

using highlighter::CodeAttributedString;
using highlighter::Highlighter;
using platform::TextRange;

namespace {

// Records every question and answer of the storage.
class RecordingDelegate : public highlighter::HighlightDelegate {
 public:
  bool shouldHighlight(TextRange range) override {
    asked.push_back(range);
    return allow;
  }
  void didHighlight(TextRange range, bool success) override { told.emplace_back(range, success); }

  bool allow = true;
  std::vector<TextRange> asked;
  std::vector<std::pair<TextRange, bool>> told;
};

class CodeAttributedStringTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(highlighter);
    storage->setHighlightDelegate(delegate);
  }

  // Pumps the main queue until every pass asked for has been told about.
  void settle() {
    const bool done = platform::RunLoop::main().runUntil(
        [&] { return delegate->told.size() >= passesAsked(); }, std::chrono::seconds(10));
    ASSERT_TRUE(done) << "a highlighting pass never ended";
  }
  std::size_t passesAsked() const { return delegate->allow ? delegate->asked.size() : 0; }
  void type(std::size_t at, std::u16string_view text) { storage->replaceCharacters({at, 0}, text); }
  // Passes run side by side, so their ends come in any order.
  std::vector<std::pair<TextRange, bool>> toldInOrder() const {
    auto told = delegate->told;
    std::ranges::sort(told, {}, [](const auto& entry) { return std::tuple(entry.first.location, entry.first.length, entry.second); });
    return told;
  }
  bool isColoured(std::size_t index) const { return storage->attributesAt(index).font.has_value(); }

  std::shared_ptr<Highlighter> highlighter = Highlighter::make();
  std::shared_ptr<CodeAttributedString> storage = CodeAttributedString::make(highlighter);
  std::shared_ptr<RecordingDelegate> delegate = std::make_shared<RecordingDelegate>();
};

TEST_F(CodeAttributedStringTest, PlainUntilALanguageIsSet) {
  type(0, u"let a = 1\n");
  EXPECT_TRUE(delegate->asked.empty());
  EXPECT_FALSE(isColoured(0));

  storage->setLanguage("swift");
  settle();
  ASSERT_EQ(delegate->told.size(), 1u);
  EXPECT_EQ(delegate->told[0], std::pair(TextRange{0, 10}, true));
  EXPECT_TRUE(isColoured(0));
  EXPECT_EQ(storage->string(), "let a = 1\n");

  // Clearing the language keeps the colours and stops further passes.
  storage->setLanguage(std::nullopt);
  type(10, u"var b = 2\n");
  EXPECT_EQ(delegate->asked.size(), 1u);
  EXPECT_TRUE(isColoured(0));
}

TEST_F(CodeAttributedStringTest, TypingRehighlightsOnlyTheTouchedParagraph) {
  type(0, u"let a = 1\nlet b = 2\nlet c = 3");
  storage->setLanguage("swift");
  settle();
  delegate->told.clear();
  delegate->asked.clear();

  type(14, u"x");
  settle();
  ASSERT_EQ(delegate->asked.size(), 1u);
  EXPECT_EQ(delegate->asked[0], (TextRange{10, 11}));
  EXPECT_EQ(delegate->told[0], std::pair(TextRange{10, 11}, true));

  // Attribute changes alone start nothing.
  storage->setAttributes(platform::TextAttributes{}, {0, 3});
  EXPECT_EQ(delegate->asked.size(), 1u);
  EXPECT_FALSE(isColoured(0));
}

TEST_F(CodeAttributedStringTest, DelegateCanVetoAPass) {
  type(0, u"let a = 1");
  delegate->allow = false;
  storage->setLanguage("swift");
  platform::RunLoop::main().runPending();
  EXPECT_EQ(delegate->asked.size(), 1u);
  EXPECT_TRUE(delegate->told.empty());
  EXPECT_FALSE(isColoured(0));
}

TEST_F(CodeAttributedStringTest, StaleResultsAreDropped) {
  type(0, u"let a = 1\nlet b = 2");
  storage->setLanguage("swift");
  // An edit inside the range before the result arrives: that pass fails,
  // the edit's own pass colours the text.
  type(4, u"z");
  settle();
  EXPECT_EQ(toldInOrder(), (std::vector{std::pair(TextRange{0, 11}, true), std::pair(TextRange{0, 19}, false)}));
  EXPECT_TRUE(isColoured(0));
  EXPECT_FALSE(isColoured(12));

  // A range reaching past the end after a deletion fails as well.
  delegate->told.clear();
  delegate->asked.clear();
  storage->highlightRange({0, 20});
  storage->replaceCharacters({10, 10}, u"");
  settle();
  EXPECT_EQ(toldInOrder(), (std::vector{std::pair(TextRange{0, 10}, true), std::pair(TextRange{0, 20}, false)}));
}

TEST_F(CodeAttributedStringTest, ThemeChangesRecolourEverything) {
  type(0, u"let a = 1\nlet b = 2");
  storage->setLanguage("swift");
  settle();
  delegate->told.clear();
  delegate->asked.clear();
  ASSERT_TRUE(highlighter->setTheme(std::string("github")));
  settle();
  ASSERT_EQ(delegate->told.size(), 1u);
  EXPECT_EQ(delegate->told[0], std::pair(TextRange{0, 19}, true));
}

}  // namespace
