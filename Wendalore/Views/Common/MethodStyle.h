#pragma once

#include <QColor>
#include <QString>

namespace wendalore {

// How a request's HTTP method is shown: the colour of the editor's method
// label, and the text and translucent background of the sidebar's badge.
// Each compares the method upper-cased (whole Unicode, not by locale); the
// stored method is never changed.
QColor methodColor(const QString& method);
// The badge background; its text uses the same colour fully opaque.
QColor methodBadgeColor(const QString& method);
QString methodBadgeTitle(const QString& method);

}  // namespace wendalore
