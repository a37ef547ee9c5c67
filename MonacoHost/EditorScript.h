#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "MonacoHost/CursorBlink.h"
#include "MonacoHost/SyntaxHighlight.h"

namespace monacohost {

// What the editor is created with. The defaults are those of an editor
// nobody configured.
struct EditorOptions {
  std::optional<SyntaxHighlight> syntax;
  bool minimap = true;
  bool scrollbar = true;
  bool smoothCursor = false;
  CursorBlink cursorBlink = CursorBlink::blink;
  int fontSize = 12;
  // The editor's theme name, "vs" or "vs-dark".
  std::string themeName = "vs";
  // UTF-8.
  std::string text;
};

// The program the page runs to create its editor. The text travels as
// Base64 of its UTF-8 bytes, so no character of it can end the string
// literal early; a text that is not UTF-8 starts the editor empty. The
// language definition is inserted as it is: it is the module's own code.
std::string editorCreationScript(const EditorOptions& options);

// The program that switches the page's editor to the theme `themeName`.
std::string themeChangeScript(std::string_view themeName);

}  // namespace monacohost
