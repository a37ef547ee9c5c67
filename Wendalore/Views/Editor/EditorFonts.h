#pragma once

#include <QFont>
#include <QFontDatabase>

namespace wendalore {

// The monospaced system font at a size, as the editor's rows and fields use it.
inline QFont monospacedFont(int pointSize) {
  QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  font.setPointSize(pointSize);
  return font;
}

}  // namespace wendalore
