#include "MonacoHost/Loading/CodeEditorLibrary.h"

#include <QCoreApplication>
#include <QDir>

#include "MonacoHost/Loading/EngineEnvironment.h"
#include "MonacoHost/Loading/EngineGraphics.h"

namespace monacohost {

CodeEditorLibrary::CodeEditorLibrary(QString file) : file_(file), loader_(std::move(file)) {}

CodeEditorLibrary& CodeEditorLibrary::shared() {
  static CodeEditorLibrary library(QDir(QCoreApplication::applicationDirPath()).filePath(fileName));
  return library;
}

std::expected<CodeEditorFactory*, QString> CodeEditorLibrary::factory() {
  if (!loaded_) loaded_ = load();
  return *loaded_;
}

std::expected<CodeEditorFactory*, QString> CodeEditorLibrary::load() {
  prepareEngineEnvironment();
  prepareEngineGraphics();
  QObject* instance = loader_.instance();
  if (!instance) return std::unexpected(file_ + ": " + loader_.errorString());
  auto* made = qobject_cast<CodeEditorFactory*>(instance);
  if (!made) return std::unexpected(file_ + " is not a code editor library");
  return made;
}

}  // namespace monacohost
