#include <gtest/gtest.h>

#include <QTest>

#include "Wendalore/Views/History/HighlightedTextView.h"
#include "Wendalore/Views/History/ResponseTabView.h"
#include "tests/Wendalore/Views/History/ResponseTestSupport.h"

using namespace wendalore;

namespace {

TEST(ResponseMemory, ViewingALargeBodyAgainCostsNothingMoreAndLeavingItGivesItBack) {
  std::string body = "[\n";
  while (body.size() < (4u << 20)) body += "  {\"id\": 12345, \"name\": \"item\", \"on\": true},\n";
  body += "  null\n]";
  const auto large = answeredJSON(body);
  const auto small = answeredJSON("{}");
  auto page = std::make_unique<ResponseTabView>();
  page->resize(800, 600);
  page->show();
  struct Cost {
    std::size_t shown;
    std::size_t left;
  };
  const auto view = [&] {
    page->setItem(large);
    auto& text = page->text();
    EXPECT_TRUE(QTest::qWaitFor([&] { return text.isLoaded() && text.isHighlightingDone(); }, 120000));
    text.setFocus();
    QTest::keyClick(&text, Qt::Key_End, Qt::ControlModifier);
    QTest::qWait(20);
    const auto shown = heapInUse();
    page->setItem(small);
    QTest::qWait(20);
    return Cost{shown, heapInUse()};
  };
  const auto first = view();
  for (int again = 0; again < 3; ++again) {
    const auto cost = view();
    EXPECT_LE(cost.shown, first.shown + (1u << 20)) << again;
    EXPECT_LE(cost.left, first.left + (1u << 20)) << again;
  }
  // While shown, the text costs about the body's size and its index, and
  // leaving it gives that back; the highlighter's cache keeps the styles.
  EXPECT_LE(first.shown - first.left, 2 * body.size());
  page.reset();
  QTest::qWait(20);
  EXPECT_LE(heapInUse(), first.left + (1u << 20));
}

TEST(ResponseMemory, HighlightingALargeBodyTakesLittleMoreThanShowingIt) {
  std::string body = "[\n";
  for (int index = 0; body.size() < (4u << 20); ++index) {
    body += "  {\n    \"id\": " + std::to_string(index) + ",\n    \"name\": \"item\",\n    \"on\": true\n  },\n";
  }
  body += "  null\n]";
  const auto large = answeredJSON(body);
  ResponseTabView page;
  page.resize(800, 600);
  page.show();
  page.setItem(answeredJSON("{}"));
  auto& text = page.text();
  ASSERT_TRUE(QTest::qWaitFor([&] { return text.isHighlightingDone(); }, 120000));

  const auto base = heapInUse();
  auto peak = base;
  page.setItem(large);
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        peak = std::max(peak, heapInUse());
        return text.isLoaded() && text.isHighlightingDone();
      },
      120000));
  ASSERT_TRUE(text.isHighlighted());
  // The view shares the record's body: its index takes about half a body,
  // its colours, kept for when it is shown again, a fraction of one.
  const auto bodies = [&](std::size_t bytes) { return static_cast<double>(bytes - base) / body.size(); };
  EXPECT_LE(bodies(heapInUse()), 1.5);
  EXPECT_LE(bodies(peak), 2);
}

}  // namespace
