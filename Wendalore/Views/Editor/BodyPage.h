#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

#include "MonacoHost/Loading/CodeEditorLibrary.h"
#include "Wendalore/Editor/RequestEditor.h"

class QComboBox;
class QLabel;
class QStackedWidget;
class QVBoxLayout;

namespace wendalore {

class MultipartPage;

// The kind of body and what belongs to it: nothing, the code editor over the
// body text (under a note for a form body), or the multipart page. The code
// editor is heavy, so its library is loaded and an editor made only when a
// body that needs it is shown. When the code editor cannot start, the body
// is shown as a plain text instead.
class BodyPage : public QWidget {
 public:
  BodyPage(std::shared_ptr<RequestEditor> editor, QWidget* parent = nullptr,
           monacohost::CodeEditorLibrary& library = monacohost::CodeEditorLibrary::shared());

  void refresh();

  // Writes what the body editor shows but has not yet written into the
  // body, then calls `written`: at once when no editor is waited for. It may
  // never come when the code editor's page does not answer.
  void writeShownText(std::function<void()> written);

  // The code editor or its plain-text stand-in; null until a body shown
  // needs one.
  QWidget* codeEditor() const { return codeEditor_; }
  MultipartPage* multipartPage() const { return multipart_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  // The code editor for the current kind, made when shown and remade when
  // the kind wants other colouring.
  void showCodeEditor();
  void dropCodeEditor();
  // From now on the body is edited as plain text, for `reason`.
  void fallBackToPlainText(const QString& reason);
  monacohost::TextBinding bodyBinding() const;

  std::shared_ptr<RequestEditor> editor_;
  monacohost::CodeEditorLibrary& library_;
  QComboBox* picker_;
  QStackedWidget* content_;
  QWidget* codePage_;
  QVBoxLayout* codeLayout_;
  QLabel* formNote_;
  MultipartPage* multipart_;
  QWidget* codeEditor_ = nullptr;
  // The code editor's; none for its plain-text stand-in, which writes at
  // once.
  std::function<void(std::function<void()> written)> shownTextWriter_;
  bool codeEditorIsJSON_ = false;
  // Tells a failure of the editor shown from one of an editor already left.
  int codeEditorGeneration_ = 0;
  // Why the code editor cannot be used, once it has failed.
  std::optional<QString> codeEditorFailure_;
};

}  // namespace wendalore
