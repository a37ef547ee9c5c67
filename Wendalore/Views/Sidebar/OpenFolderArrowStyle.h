#pragma once

#include <QProxyStyle>

namespace wendalore {

// The application's style, except that an open row keeps its arrow,
// pointing down, with nothing under it. The tree draws an arrow only by
// rows it shows, so an empty folder lost its arrow once opened; a folder can
// always be opened and closed. Requests are never open.
class OpenFolderArrowStyle : public QProxyStyle {
 public:
  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
};

}  // namespace wendalore
