#include "MonacoHost/SyntaxHighlight.h"

#include <fmt/format.h>

#include <fstream>
#include <sstream>

#include "Platform/Fatal.h"
#include "Platform/Foundation/UTF8.h"

namespace monacohost {

namespace {

constexpr std::string_view bundleName = "MonacoHost_MonacoHost";

SyntaxHighlight readyDefinition(std::string title, std::string_view fileName) {
  const auto url = SyntaxHighlight::moduleBundle()->pathForResource(fileName, "js", "Languages");
  if (!url) platform::fatal(fmt::format("The language definition \"Languages/{}.js\" is missing.", fileName));
  return SyntaxHighlight(std::move(title), *url);
}

}  // namespace

SyntaxHighlight::SyntaxHighlight(std::string title, const std::filesystem::path& url) : title(std::move(title)) {
  std::ifstream file(url, std::ios::binary);
  std::ostringstream contents;
  contents << file.rdbuf();
  if (!file || file.bad()) platform::fatal(fmt::format("The language definition {} cannot be read.", url.string()));
  configuration = std::move(contents).str();
  if (!platform::isValidUTF8(configuration)) {
    platform::fatal(fmt::format("The language definition {} is not UTF-8.", url.string()));
  }
}

const std::shared_ptr<const platform::Bundle>& SyntaxHighlight::moduleBundle() {
  static const auto bundle = platform::Bundle::moduleResourceBundle(bundleName);
  return bundle;
}

const SyntaxHighlight& SyntaxHighlight::swift() {
  static const SyntaxHighlight definition = readyDefinition("Swift", "swift");
  return definition;
}

const SyntaxHighlight& SyntaxHighlight::cpp() {
  static const SyntaxHighlight definition = readyDefinition("C++", "cpp");
  return definition;
}

const SyntaxHighlight& SyntaxHighlight::systemVerilog() {
  static const SyntaxHighlight definition = readyDefinition("SystemVerilog/Verilog", "systemVerilog");
  return definition;
}

}  // namespace monacohost
