#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "Platform/Foundation/Bundle.h"

namespace highlighter {

// A language definition for the code editor's tokenizer: a display title
// and the JavaScript text of the definition, the body of a function that
// returns the definition object. The ready definitions come from the
// editor's resource bundle "MonacoHost_MonacoHost.bundle".
struct SyntaxHighlight {
  std::string title;
  std::string configuration;

  // Reads the whole file; stops the process when it cannot be read or is
  // not UTF-8, since definition files ship with the program.
  SyntaxHighlight(std::string title, const std::filesystem::path& url);

  static const SyntaxHighlight& swift();
  static const SyntaxHighlight& cpp();
  static const SyntaxHighlight& systemVerilog();

  // Found once per process; stops the process when it is missing.
  static const std::shared_ptr<const platform::Bundle>& moduleBundle();
};

}  // namespace highlighter
