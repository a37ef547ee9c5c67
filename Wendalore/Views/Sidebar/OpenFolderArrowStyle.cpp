#include "Wendalore/Views/Sidebar/OpenFolderArrowStyle.h"

#include <QStyleOption>

namespace wendalore {

void OpenFolderArrowStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                         const QWidget* widget) const {
  if (element == PE_IndicatorBranch && (option->state & State_Open) && !(option->state & State_Children)) {
    QStyleOption withArrow(*option);
    withArrow.state |= State_Children;
    return QProxyStyle::drawPrimitive(element, &withArrow, painter, widget);
  }
  QProxyStyle::drawPrimitive(element, option, painter, widget);
}

}  // namespace wendalore
