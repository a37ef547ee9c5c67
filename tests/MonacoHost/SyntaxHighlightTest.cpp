#include <gtest/gtest.h>

#include "MonacoHost/SyntaxHighlight.h"
#include "tests/Platform/ScratchDirectory.h"

using monacohost::SyntaxHighlight;

TEST(SyntaxHighlight, ReadyDefinitionsComeFromTheEditorBundle) {
  const std::pair<const SyntaxHighlight*, const char*> definitions[] = {
      {&SyntaxHighlight::swift(), "Swift"},
      {&SyntaxHighlight::cpp(), "C++"},
      {&SyntaxHighlight::systemVerilog(), "SystemVerilog/Verilog"},
  };
  for (const auto& [definition, title] : definitions) {
    EXPECT_EQ(definition->title, title);
    // A function body that returns the tokenizer's definition.
    EXPECT_TRUE(definition->configuration.starts_with("return {")) << title;
    EXPECT_NE(definition->configuration.find("tokenizer"), std::string::npos) << title;
  }
  EXPECT_EQ(&SyntaxHighlight::cpp(), &SyntaxHighlight::cpp());
}

TEST(SyntaxHighlightDeathTest, UnreadableDefinitionsStopTheProgram) {
  ScratchDirectory scratch;
  const auto latin1 = scratch.write("latin1.js", "return {name: '\xe9'};");
  EXPECT_DEATH(SyntaxHighlight("Latin", latin1), "is not UTF-8");
  EXPECT_DEATH(SyntaxHighlight("Missing", scratch / "missing.js"), "cannot be read");
  EXPECT_EQ(SyntaxHighlight("Plain", scratch.write("plain.js", "return {};")).configuration, "return {};");
}
