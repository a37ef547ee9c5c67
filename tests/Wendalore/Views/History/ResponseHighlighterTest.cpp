#include <gtest/gtest.h>

#include <QObject>
#include <QTest>

#include <string>

#include "Wendalore/Views/History/ResponseHighlighter.h"

using namespace wendalore;

namespace {

constexpr int generousMilliseconds = 60000;

// A body the script takes seconds over.
std::string largeJSON() {
  std::string body = "[\n";
  for (int index = 0; body.size() < 3'000'000; ++index) {
    body += "  {\"id\": " + std::to_string(index) + ", \"name\": \"item\", \"on\": true},\n";
  }
  return body + "  null\n]\n";
}

// Asks for `body` for `context`; `answer` is set once it comes.
ResponseHighlighter::Key ask(const std::string& body, const std::string& language, QObject& context,
                             std::optional<ResponseHighlighter::Result>& answer) {
  const auto key = ResponseHighlighter::Key::of(platform::UUID(), "atom-one-dark", body);
  ResponseHighlighter::shared().highlight(key, std::make_shared<const std::string>(body), language, &context,
                                          [&answer](ResponseHighlighter::Result result) { answer = result; });
  return key;
}

TEST(ResponseHighlighter, ASmallBodyIsNotHeldBackByALargeOneBeforeIt) {
  const std::string large = largeJSON();
  const std::string small = "{\"a\": [1, true]}";
  QObject largeView, smallView;
  std::optional<ResponseHighlighter::Result> largeAnswer, smallAnswer;
  ask(large, "json", largeView, largeAnswer);
  // The large body is under way by now.
  QTest::qWait(100);
  ask(small, "json", smallView, smallAnswer);

  ASSERT_TRUE(QTest::qWaitFor([&] { return smallAnswer.has_value(); }, generousMilliseconds));
  EXPECT_FALSE(largeAnswer.has_value());
  ASSERT_TRUE(*smallAnswer);
  EXPECT_GE((*smallAnswer)->styles.size(), 2u);
  ASSERT_TRUE(QTest::qWaitFor([&] { return largeAnswer.has_value(); }, generousMilliseconds));
  ASSERT_TRUE(*largeAnswer);
  EXPECT_EQ((*largeAnswer)->end(), large.size());
}

TEST(ResponseHighlighter, ASmallBodyIsColouredSoonAfterALongToken) {
  // One token the script would take hours over.
  const std::string token = "var " + std::string(512 * 1024, 'a') + " = 1;";
  const std::string small = "{\"a\": [1, true]}";
  QObject tokenView, smallView;
  std::optional<ResponseHighlighter::Result> tokenAnswer, smallAnswer;
  ask(token, "javascript", tokenView, tokenAnswer);
  ask(small, "json", smallView, smallAnswer);
  ASSERT_TRUE(QTest::qWaitFor([&] { return smallAnswer.has_value() && tokenAnswer.has_value(); }, generousMilliseconds));
  ASSERT_TRUE(*smallAnswer && *tokenAnswer);
  EXPECT_GE((*smallAnswer)->styles.size(), 2u);
  EXPECT_EQ((*tokenAnswer)->end(), token.size());
}

TEST(ResponseHighlighter, ABodyNoLongerShownIsNotHighlighted) {
  const std::string large = largeJSON() + " ";
  QObject view, otherView;
  std::optional<ResponseHighlighter::Result> largeAnswer, smallAnswer, otherAnswer;
  const auto largeKey = ask(large, "json", view, largeAnswer);
  QTest::qWait(100);
  // The view moves on to another entry.
  ask("[1]", "json", view, smallAnswer);
  ASSERT_TRUE(QTest::qWaitFor([&] { return smallAnswer.has_value(); }, generousMilliseconds));
  // Work asked for later still gets done, the large body never.
  ask("[2]", "json", otherView, otherAnswer);
  ASSERT_TRUE(QTest::qWaitFor([&] { return otherAnswer.has_value(); }, generousMilliseconds));
  QTest::qWait(100);
  EXPECT_FALSE(largeAnswer.has_value());
  EXPECT_EQ(ResponseHighlighter::shared().cached(largeKey), nullptr);
}

}  // namespace
