#include "MonacoHost/EditorScript.h"

#include <fmt/format.h>

#include "Platform/Foundation/Base64.h"
#include "Platform/Foundation/UTF8.h"

namespace monacohost {

namespace {

constexpr std::string_view languageID = "mySpecialLanguage";

std::string_view boolean(bool value) { return value ? "true" : "false"; }

std::string languageRegistration(const SyntaxHighlight& syntax) {
  return fmt::format(
      "// Register a new language\n"
      "monaco.languages.register({{ id: '{0}' }});\n"
      "\n"
      "// Register a tokens provider for the language\n"
      "monaco.languages.setMonarchTokensProvider('{0}', (function() {{\n"
      "    {1}\n"
      "}})());",
      languageID, syntax.configuration);
}

}  // namespace

std::string editorCreationScript(const EditorOptions& options) {
  const std::string value = platform::isValidUTF8(options.text) ? platform::base64Encode(options.text) : "";
  std::string script = "(function() {\n";
  if (options.syntax) script += languageRegistration(*options.syntax);
  script += fmt::format("\n\neditor.create({{value: atob('{}'), automaticLayout: true, theme: \"{}\"", value,
                        options.themeName);
  if (options.syntax) script += fmt::format(", language: '{}'", languageID);
  script += fmt::format(", minimap: {{ enabled: {} }}", boolean(options.minimap));
  script += fmt::format(", scrollbar: {{ vertical: {} }}", options.scrollbar ? "\"visible\"" : "\"hidden\"");
  script += fmt::format(", cursorSmoothCaretAnimation: {}", boolean(options.smoothCursor));
  script += fmt::format(", cursorBlinking: \"{}\"", cursorBlinkName(options.cursorBlink));
  script += fmt::format(", fontSize: {}", options.fontSize);
  script +=
      "});\n"
      "var meta = document.createElement('meta'); meta.setAttribute('name', 'viewport'); "
      "meta.setAttribute('content', 'width=device-width'); document.getElementsByTagName('head')[0].appendChild(meta);\n"
      "return true;\n"
      "})();";
  return script;
}

std::string themeChangeScript(std::string_view themeName) {
  return fmt::format("(function(){{\n    monaco.editor.setTheme('{}')\n}})()", themeName);
}

}  // namespace monacohost
