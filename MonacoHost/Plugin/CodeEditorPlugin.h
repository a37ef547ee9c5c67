#pragma once

#include <QObject>

#include "MonacoHost/Loading/CodeEditorFactory.h"

namespace monacohost {

// The code editor library's entry: makes editors of this module's kind.
class CodeEditorPlugin : public QObject, public CodeEditorFactory {
  Q_OBJECT
  Q_PLUGIN_METADATA(IID MONACOHOST_CODE_EDITOR_FACTORY_IID)
  Q_INTERFACES(monacohost::CodeEditorFactory)

 public:
  CodeEditorPlugin();

  CodeEditor makeEditor(CodeEditorRequest request, QWidget* parent) override;
};

}  // namespace monacohost
