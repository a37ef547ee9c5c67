#pragma once

#include <QLineEdit>
#include <functional>
#include <string>

#include "Wendalore/Editor/EditorField.h"
#include "Wendalore/Views/Editor/EditorFieldTag.h"

namespace wendalore {

// Shows a stored text in a field without moving the cursor of a field that
// already shows it.
inline void showText(QLineEdit* field, const std::string& text) {
  const QString shown = QString::fromStdString(text);
  if (field->text() != shown) field->setText(shown);
}

// A borderless text field that writes every keystroke through `write`.
inline QLineEdit* plainTextField(QWidget* parent, const QString& placeholder,
                                 std::function<void(std::string)> write) {
  auto* field = new QLineEdit(parent);
  field->setFrame(false);
  field->setPlaceholderText(placeholder);
  QObject::connect(field, &QLineEdit::textEdited, field,
                   [write = std::move(write)](const QString& text) { write(text.toStdString()); });
  return field;
}

// The same, standing for one of the editor's focusable fields.
inline QLineEdit* plainTextField(QWidget* parent, const QString& placeholder, const EditorField& focus,
                                 std::function<void(std::string)> write) {
  auto* field = plainTextField(parent, placeholder, std::move(write));
  tagField(field, focus);
  return field;
}

}  // namespace wendalore
