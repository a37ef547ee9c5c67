#pragma once

#include <QPluginLoader>
#include <QString>
#include <expected>
#include <optional>

#include "MonacoHost/Loading/CodeEditorFactory.h"

namespace monacohost {

// The library that holds the code editor and its web engine, loaded on the
// first call of `factory` and kept until the process ends. Main thread only.
class CodeEditorLibrary {
 public:
  // The library file's name, beside the program in the build tree and in an
  // installation alike.
  static constexpr const char* fileName = "wendalore-code-editor.so";

  explicit CodeEditorLibrary(QString file);
  CodeEditorLibrary(const CodeEditorLibrary&) = delete;
  CodeEditorLibrary& operator=(const CodeEditorLibrary&) = delete;

  // The one beside the running program.
  static CodeEditorLibrary& shared();

  // The library's editor maker, or why the library could not be loaded; the
  // answer of the first call is kept.
  std::expected<CodeEditorFactory*, QString> factory();

 private:
  std::expected<CodeEditorFactory*, QString> load();

  QString file_;
  QPluginLoader loader_;
  std::optional<std::expected<CodeEditorFactory*, QString>> loaded_;
};

}  // namespace monacohost
