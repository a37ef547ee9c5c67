#pragma once

#include <QString>
#include <QtPlugin>
#include <functional>

#include "MonacoHost/TextBinding.h"

class QWidget;

namespace monacohost {

// The ready language definitions a body editor colours with.
enum class ReadySyntax { swift, cpp };

// What a new code editor shows and whom it tells.
struct CodeEditorRequest {
  TextBinding text;
  ReadySyntax syntax = ReadySyntax::cpp;
  int fontSize = 12;
  // Called at most once, when the editor has stopped working (its page's
  // process ended or could not start); the text typed until then is already
  // in `text`.
  std::function<void(const QString& reason)> failed;
};

// A code editor made by the library.
struct CodeEditor {
  // Owned by the parent it was made for.
  QWidget* view = nullptr;
  // Writes the text the editor shows at this moment into the request's
  // `text`, typing that is still on its way included, and then calls
  // `written` on the main thread. The editor answers in a moment, and one
  // closed meanwhile with the text it last reported; while its page does
  // not answer (busy, or its process gone), `written` does not come, so
  // whoever waits for it must bound the wait.
  std::function<void(std::function<void()> written)> writeShownText;
};

// Makes code editors. The code editor lives in a library of its own, loaded
// when the first one is needed, so that the web engine is mapped only then;
// this is all the program sees of it.
class CodeEditorFactory {
 public:
  virtual ~CodeEditorFactory() = default;

  // A new editor owned by `parent`; its page starts loading at once.
  virtual CodeEditor makeEditor(CodeEditorRequest request, QWidget* parent) = 0;
};

}  // namespace monacohost

#define MONACOHOST_CODE_EDITOR_FACTORY_IID "org.wendalore.MonacoHost.CodeEditorFactory/2"
Q_DECLARE_INTERFACE(monacohost::CodeEditorFactory, MONACOHOST_CODE_EDITOR_FACTORY_IID)
