#include <gtest/gtest.h>

#include <string>

#include "MonacoHost/EditorScript.h"
#include "tests/Platform/ScratchDirectory.h"

using monacohost::CursorBlink;
using monacohost::EditorOptions;
using monacohost::editorCreationScript;
using monacohost::SyntaxHighlight;

namespace {

const std::string closing =
    "});\nvar meta = document.createElement('meta'); meta.setAttribute('name', 'viewport'); "
    "meta.setAttribute('content', 'width=device-width'); document.getElementsByTagName('head')[0].appendChild(meta);\n"
    "return true;\n})();";

// The part of the script after the text's Base64.
std::string afterValue(const std::string& script) {
  const auto start = script.find("'), automaticLayout");
  return start == std::string::npos ? script : script.substr(start);
}

}  // namespace

TEST(EditorScript, UnconfiguredEditorGetsTheDefaults) {
  EXPECT_EQ(editorCreationScript({}),
            "(function() {\n\n\neditor.create({value: atob(''), automaticLayout: true, theme: \"vs\", minimap: { "
            "enabled: true }, scrollbar: { vertical: \"visible\" }, cursorSmoothCaretAnimation: false, "
            "cursorBlinking: \"blink\", fontSize: 12" +
                closing);
}

TEST(EditorScript, RequestEditorSettingsRegisterTheLanguageAndSetEveryOption) {
  ScratchDirectory scratch;
  // Inserted as it is: quotes, backslashes and line breaks included.
  const std::string definition = "return { tokenizer: { root: [[/\"\\\\'/, 'string']] } };\n// end";
  EditorOptions options;
  options.syntax = SyntaxHighlight("Test", scratch.write("test.js", definition));
  options.fontSize = 11;
  const std::string script = editorCreationScript(options);

  EXPECT_TRUE(script.starts_with(
      "(function() {\n// Register a new language\nmonaco.languages.register({ id: 'mySpecialLanguage' });\n\n"
      "// Register a tokens provider for the language\n"
      "monaco.languages.setMonarchTokensProvider('mySpecialLanguage', (function() {\n    " +
      definition + "\n})());\n\neditor.create({value: atob('")) << script;
  EXPECT_EQ(afterValue(script),
            "'), automaticLayout: true, theme: \"vs\", language: 'mySpecialLanguage', minimap: { enabled: true }, "
            "scrollbar: { vertical: \"visible\" }, cursorSmoothCaretAnimation: false, cursorBlinking: \"blink\", "
            "fontSize: 11" +
                closing);

  options = {};
  options.minimap = false;
  options.scrollbar = false;
  options.smoothCursor = true;
  options.cursorBlink = CursorBlink::expand;
  options.fontSize = -3;
  options.themeName = "vs-dark";
  EXPECT_EQ(afterValue(editorCreationScript(options)),
            "'), automaticLayout: true, theme: \"vs-dark\", minimap: { enabled: false }, scrollbar: { vertical: "
            "\"hidden\" }, cursorSmoothCaretAnimation: true, cursorBlinking: \"expand\", fontSize: -3" +
                closing);
}

TEST(EditorScript, TextTravelsAsBase64OfItsUTF8Bytes) {
  const auto valueOf = [](std::string text) {
    EditorOptions options;
    options.text = std::move(text);
    const std::string script = editorCreationScript(options);
    const auto start = script.find("atob('") + 6;
    return script.substr(start, script.find("')", start) - start);
  };
  // Quotes and line breaks cannot end the literal early.
  EXPECT_EQ(valueOf("')\n\"}"), "JykKIn0=");
  EXPECT_EQ(valueOf("\xC3\xA9\xF0\x9F\x98\x80"), "w6nwn5iA");
  // Not UTF-8: the editor starts empty rather than with mangled text.
  EXPECT_EQ(valueOf("caf\xE9"), "");
}

TEST(EditorScript, ThemeChangeNamesTheTheme) {
  EXPECT_EQ(monacohost::themeChangeScript("vs-dark"), "(function(){\n    monaco.editor.setTheme('vs-dark')\n})()");
}
