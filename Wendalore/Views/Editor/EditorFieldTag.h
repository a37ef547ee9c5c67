#pragma once

#include <QVariant>
#include <QWidget>
#include <optional>

#include "Wendalore/Editor/EditorField.h"

Q_DECLARE_METATYPE(wendalore::EditorField)

namespace wendalore {

// Which editor field a text field stands for, kept on the text field so
// that the editor's focus and the keyboard focus can follow each other.
inline void tagField(QWidget* widget, const EditorField& field) {
  widget->setProperty("editorField", QVariant::fromValue(field));
}

inline std::optional<EditorField> taggedField(const QWidget* widget) {
  const QVariant tag = widget ? widget->property("editorField") : QVariant();
  if (!tag.isValid()) return std::nullopt;
  return tag.value<EditorField>();
}

}  // namespace wendalore
