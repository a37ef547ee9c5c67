#pragma once

#include <QString>

#include "MonacoHost/TextBinding.h"

class QWidget;

namespace wendalore {

// The body as an editable plain text under a one-line notice of why, for
// when the code editor cannot start. Every change is written through `body`.
QWidget* plainTextBodyEditor(const monacohost::TextBinding& body, const QString& reason, QWidget* parent);

}  // namespace wendalore
