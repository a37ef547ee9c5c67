#pragma once

#include <QColor>
#include <QFont>
#include <QString>

#include "Platform/Foundation/Date.h"

class QLabel;
class QWidget;

namespace wendalore {

// The small text styles and colours the history pane shares.
QFont captionFont(QFont::Weight weight = QFont::Normal);
QFont caption2Font(QFont::Weight weight = QFont::Normal);
QFont monospacedCaptionFont();
QColor secondaryColor(const QWidget& widget);

// A label in `font` and, when given, `colour`, showing its text verbatim.
QLabel* styledLabel(const QString& text, const QFont& font, const QColor& colour = {}, QWidget* parent = nullptr);
// `label` so styled.
QLabel* styleLabel(QLabel* label, const QFont& font, const QColor& colour = {});
// A one-pixel horizontal rule.
QWidget* divider(QWidget* parent = nullptr);
// Paints `widget`'s background in the palette's control colour.
void fillWithControlBackground(QWidget& widget);

// The time of a send with seconds, in the user's locale.
QString timeText(platform::Date date);
// Date (abbreviated) and time of a send, in the user's locale.
QString timestampText(platform::Date date);

}  // namespace wendalore
