#include <gtest/gtest.h>

#include <string>

#include "MonacoHost/MonacoHost.h"

using monacohost::CursorBlink;
using monacohost::MonacoHost;
using monacohost::MonacoViewController;
using monacohost::SyntaxHighlight;
using monacohost::TextBinding;
using monacohost::Theme;

namespace {

struct BoundText {
  std::string value;
  TextBinding binding() {
    return {[this] { return value; }, [this](std::string text) { value = std::move(text); }};
  }
};

}  // namespace

TEST(MonacoHost, AnswersFromItsOptionsAndWritesTypedTextToTheBinding) {
  BoundText body{"{}"};
  MonacoViewController controller;  // never loaded: only asked for options
  const MonacoHost plain(body.binding());
  EXPECT_EQ(plain.readSyntax(controller), std::nullopt);
  EXPECT_TRUE(plain.readMinimap(controller));
  EXPECT_TRUE(plain.readScrollbar(controller));
  EXPECT_FALSE(plain.readSmoothCursor(controller));
  EXPECT_EQ(plain.readCursorBlink(controller), CursorBlink::blink);
  EXPECT_EQ(plain.readFontSize(controller), 12);
  EXPECT_EQ(plain.readTheme(controller), std::nullopt);

  MonacoHost configured = plain.syntax(SyntaxHighlight::cpp())
                              .minimap(false)
                              .scrollbar(false)
                              .smoothCursor(true)
                              .cursorBlink(CursorBlink::phase)
                              .fontSize(11)
                              .theme(Theme::dark);
  EXPECT_EQ(configured.readSyntax(controller)->title, "C++");
  EXPECT_FALSE(configured.readMinimap(controller));
  EXPECT_FALSE(configured.readScrollbar(controller));
  EXPECT_TRUE(configured.readSmoothCursor(controller));
  EXPECT_EQ(configured.readCursorBlink(controller), CursorBlink::phase);
  EXPECT_EQ(configured.readFontSize(controller), 11);
  EXPECT_EQ(configured.readTheme(controller), Theme::dark);
  // Modifiers change the copy only.
  EXPECT_EQ(plain.readFontSize(controller), 12);
  EXPECT_EQ(plain.readSyntax(controller), std::nullopt);

  // Both share the binding: the text read is the bound text of the moment.
  body.value = "[1]";
  EXPECT_EQ(configured.readText(controller), "[1]");
  configured.textChanged(controller, "[1, 2]");
  EXPECT_EQ(body.value, "[1, 2]");
  EXPECT_EQ(plain.readText(controller), "[1, 2]");
}
