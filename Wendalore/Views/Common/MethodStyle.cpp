#include "Wendalore/Views/Common/MethodStyle.h"

#include <QGuiApplication>
#include <QPalette>

namespace wendalore {
namespace {

struct MethodStyle {
  const char* method;
  QColor colour;
  const char* badge;
};

// The platform's system colours, so that the editor and the sidebar share
// one hue per method.
const MethodStyle styles[] = {
    {"GET", QColor(52, 199, 89), "GET"},       {"POST", QColor(255, 149, 0), "POST"},
    {"PUT", QColor(0, 122, 255), "PUT"},       {"DELETE", QColor(255, 59, 48), "DELE"},
    {"PATCH", QColor(175, 82, 222), "PTCH"},   {"HEAD", QColor(142, 142, 147), "HEAD"},
    {"OPTIONS", QColor(142, 142, 147), "OPTN"},
};

const MethodStyle* styleOf(const QString& method) {
  const QString upper = method.toUpper();
  for (const auto& style : styles) {
    if (upper == QLatin1String(style.method)) return &style;
  }
  return nullptr;
}

// The dimmed text colour of the current palette.
QColor secondaryColour() {
  QColor colour = QGuiApplication::palette().color(QPalette::Active, QPalette::WindowText);
  colour.setAlphaF(0.55f);
  return colour;
}

}  // namespace

QColor methodColor(const QString& method) {
  const auto* style = styleOf(method);
  return style ? style->colour : secondaryColour();
}

QColor methodBadgeColor(const QString& method) {
  const auto* style = styleOf(method);
  QColor colour = style ? style->colour : secondaryColour();
  colour.setAlphaF(style ? 0.25f : 0.18f);
  return colour;
}

QString methodBadgeTitle(const QString& method) {
  const auto* style = styleOf(method);
  return style ? QString::fromLatin1(style->badge) : method.toUpper();
}

}  // namespace wendalore
