#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "Wendalore/Editor/RequestEditor.h"

class QLabel;
class QLineEdit;
class QToolButton;

namespace wendalore {

// The file sent as a multipart body and how its part is named.
class MultipartPage : public QWidget {
 public:
  // Asks the person for a file; nothing when they cancel.
  using FileChooser = std::function<std::optional<std::string>(QWidget* parent)>;

  MultipartPage(std::shared_ptr<RequestEditor> editor, QWidget* parent = nullptr);

  // Shows what the template holds now.
  void refresh();
  // Replaces the file dialog, for a place where none can be shown.
  void setFileChooser(FileChooser chooser) { chooser_ = std::move(chooser); }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  std::shared_ptr<RequestEditor> editor_;
  FileChooser chooser_;
  QLabel* file_;
  QToolButton* clear_;
  QLabel* noFile_;
  QLineEdit* fieldName_;
  QLineEdit* fileName_;
  QLineEdit* mimeType_;
};

}  // namespace wendalore
