#pragma once

#include <QWidget>
#include <memory>
#include <optional>

#include "Wendalore/Editor/RequestEditor.h"

class QComboBox;
class QLabel;
class QStackedWidget;
class QVBoxLayout;

namespace monacohost {
class MonacoViewController;
}

namespace wendalore {

class MultipartPage;

// The kind of body and what belongs to it: nothing, the code editor over the
// body text (under a note for a form body), or the multipart page. The code
// editor is heavy, so it is made only when a body that needs it is shown.
class BodyPage : public QWidget {
 public:
  BodyPage(std::shared_ptr<RequestEditor> editor, QWidget* parent = nullptr);

  void refresh();

  // Null until a body shown needs one.
  monacohost::MonacoViewController* codeEditor() const { return codeEditor_; }
  MultipartPage* multipartPage() const { return multipart_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  // The code editor for the current kind, made when shown and remade when
  // the kind wants other colouring.
  void showCodeEditor();
  void dropCodeEditor();

  std::shared_ptr<RequestEditor> editor_;
  QComboBox* picker_;
  QStackedWidget* content_;
  QWidget* codePage_;
  QVBoxLayout* codeLayout_;
  QLabel* formNote_;
  MultipartPage* multipart_;
  monacohost::MonacoViewController* codeEditor_ = nullptr;
  bool codeEditorIsJSON_ = false;
};

}  // namespace wendalore
