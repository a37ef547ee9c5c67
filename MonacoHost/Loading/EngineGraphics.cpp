#include "MonacoHost/Loading/EngineGraphics.h"

#include <QCoreApplication>
#include <QOpenGLContext>

// Qt's own setter of the shared context, exported by its graphics library
// for its modules (the web engine's start-up uses it the same way); no
// public header declares it.
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext* context);

namespace monacohost {

void prepareEngineGraphics() {
  if (QOpenGLContext::globalShareContext()) return;
  auto* context = new QOpenGLContext(QCoreApplication::instance());
  // A context that cannot be made leaves the engine to draw without one,
  // which it does in software.
  if (!context->create()) {
    delete context;
    return;
  }
  qt_gl_set_global_share_context(context);
}

}  // namespace monacohost
