#include "Wendalore/Views/Editor/BodyPagePlainText.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "Wendalore/Views/Editor/EditorFonts.h"

namespace wendalore {

QWidget* plainTextBodyEditor(const monacohost::TextBinding& body, const QString& reason, QWidget* parent) {
  auto* view = new QWidget(parent);
  auto* column = new QVBoxLayout(view);
  column->setContentsMargins(0, 0, 0, 0);

  const QString notice = "The code editor could not start (" + reason + "); the body is shown as plain text.";
  auto* note = new QLabel(notice, view);
  note->setObjectName("bodyEditorNotice");
  note->setToolTip(notice);
  note->setForegroundRole(QPalette::PlaceholderText);
  // However long the reason, the notice stays one line and never widens the window.
  note->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
  column->addWidget(note);

  auto* text = new QPlainTextEdit(view);
  text->setObjectName("plainBodyEditor");
  text->setAccessibleName("Body");
  text->setFont(monospacedFont(11));
  text->setLineWrapMode(QPlainTextEdit::NoWrap);
  text->setPlainText(QString::fromStdString(body.get()));
  QObject::connect(text, &QPlainTextEdit::textChanged, text,
                   [text, write = body.set] { write(text->toPlainText().toStdString()); });
  column->addWidget(text, 1);
  return view;
}

}  // namespace wendalore
