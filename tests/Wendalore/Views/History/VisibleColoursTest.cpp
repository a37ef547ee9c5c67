#include <gtest/gtest.h>

#include <QTest>

#include "Wendalore/Views/History/HighlightedTextView.h"
#include "Wendalore/Views/History/ResponseTabView.h"
#include "tests/Wendalore/Views/History/ResponseTestSupport.h"

using namespace wendalore;

namespace {

constexpr int generousMilliseconds = 120000;

// Pretty JSON the highlighter takes seconds over, in hundreds of pieces,
// or, up to a quarter of a megabyte, a tenth of a second or more whole.
std::string largeJSON(std::size_t size = 6u << 20) {
  std::string body = "[\n";
  for (int index = 0; body.size() < size; ++index) {
    body += "  {\n    \"id\": " + std::to_string(index) + ",\n    \"name\": \"item\",\n    \"on\": true\n  },\n";
  }
  return body + "  null\n]";
}

class VisibleColours : public testing::Test {
 protected:
  void SetUp() override {
    page.resize(800, 600);
    page.show();
  }

  HighlightedTextView& text() { return page.text(); }
  bool shownColouredOrAllDone() { return text().areShownLinesColoured() || text().isHighlightingDone(); }

  ResponseTabView page;
};

TEST_F(VisibleColours, TheLinesInViewAreColouredFirstAndAJumpAsksForItsPlace) {
  page.setItem(answeredJSON(largeJSON()));
  ASSERT_TRUE(QTest::qWaitFor([&] { return text().isLoaded(); }, generousMilliseconds));
  ASSERT_TRUE(QTest::qWaitFor([&] { return shownColouredOrAllDone(); }, generousMilliseconds));
  EXPECT_FALSE(text().isHighlightingDone()) << "the first screen waited for the whole body";

  text().setFocus();
  QTest::keyClick(&text(), Qt::Key_End, Qt::ControlModifier);
  text().viewport()->repaint();
  EXPECT_FALSE(text().areShownLinesColoured());
  ASSERT_TRUE(QTest::qWaitFor([&] { return shownColouredOrAllDone(); }, generousMilliseconds));
  EXPECT_FALSE(text().isHighlightingDone()) << "the end waited for the whole body";

  ASSERT_TRUE(QTest::qWaitFor([&] { return text().isHighlightingDone(); }, generousMilliseconds));
  EXPECT_TRUE(text().areShownLinesColoured());
}

TEST_F(VisibleColours, TheLinesInViewAreNotHeldBackByTheWholeBody) {
  page.setItem(answeredJSON(largeJSON(250'000)));
  ASSERT_TRUE(QTest::qWaitFor([&] { return text().isLoaded(); }, generousMilliseconds));
  ASSERT_TRUE(QTest::qWaitFor([&] { return shownColouredOrAllDone(); }, generousMilliseconds));
  EXPECT_FALSE(text().isHighlightingDone()) << "the first screen waited for the whole body";

  text().setFocus();
  QTest::keyClick(&text(), Qt::Key_End, Qt::ControlModifier);
  text().viewport()->repaint();
  ASSERT_TRUE(QTest::qWaitFor([&] { return shownColouredOrAllDone(); }, generousMilliseconds));
  EXPECT_FALSE(text().isHighlightingDone()) << "the end waited for the whole body";
  ASSERT_TRUE(QTest::qWaitFor([&] { return text().isHighlightingDone(); }, generousMilliseconds));
  EXPECT_TRUE(text().areShownLinesColoured());
}

TEST_F(VisibleColours, LeavingABodyStopsItsWorkAndGivesBackWhatItHeld) {
  const auto large = answeredJSON(largeJSON() + " ");
  const auto small = answeredJSON("{\"a\": 1}");
  page.setItem(small);
  ASSERT_TRUE(QTest::qWaitFor([&] { return text().isHighlightingDone(); }, generousMilliseconds));
  const auto before = heapInUse();

  page.setItem(large);
  ASSERT_TRUE(QTest::qWaitFor([&] { return text().isLoaded() && shownColouredOrAllDone(); }, generousMilliseconds));
  ASSERT_FALSE(text().isHighlightingDone());
  page.setItem(small);
  ASSERT_TRUE(QTest::qWaitFor([&] { return text().isHighlightingDone(); }, generousMilliseconds));
  EXPECT_TRUE(QTest::qWaitFor([&] { return heapInUse() <= before + (1u << 20); }, generousMilliseconds))
      << (heapInUse() - before) << " bytes more than before";
  const auto key = ResponseHighlighter::Key::of(large->id(), text().themeName().toStdString(), large->responseBody());
  EXPECT_EQ(ResponseHighlighter::shared().cached(key), nullptr);
}

}  // namespace
