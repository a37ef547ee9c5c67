#include "Wendalore/Views/Shell/ApplicationIcon.h"

namespace wendalore {

QIcon applicationIcon() { return QIcon(QStringLiteral(":/Wendalore/Wendalore.png")); }

}  // namespace wendalore
