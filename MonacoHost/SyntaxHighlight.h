#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "Platform/Foundation/Bundle.h"

namespace monacohost {

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

  // The module's resource bundle "MonacoHost_MonacoHost.bundle", which also
  // holds the editor page. Found once per process, in the main bundle's
  // resource directory or else its own directory; stops the process with
  // "unable to find bundle named MonacoHost_MonacoHost" when it is missing.
  static const std::shared_ptr<const platform::Bundle>& moduleBundle();
};

}  // namespace monacohost
