#include "MonacoHost/Plugin/CodeEditorPlugin.h"

#include <QPointer>
#include <QQuickWindow>

#include "MonacoHost/MonacoHost.h"
#include "MonacoHost/SyntaxHighlight.h"

namespace monacohost {
namespace {

const SyntaxHighlight& definition(ReadySyntax syntax) {
  switch (syntax) {
    case ReadySyntax::swift: return SyntaxHighlight::swift();
    case ReadySyntax::cpp: return SyntaxHighlight::cpp();
  }
  return SyntaxHighlight::cpp();
}

}  // namespace

CodeEditorPlugin::CodeEditorPlugin() {
  // A text editor draws well in software. The web views then need neither
  // the system's graphics driver in the program nor the engine's GPU
  // compositing, which under a software renderer only costs memory.
  QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
}

CodeEditor CodeEditorPlugin::makeEditor(CodeEditorRequest request, QWidget* parent) {
  auto* controller = MonacoHost(std::move(request.text))
                         .syntax(definition(request.syntax))
                         .fontSize(request.fontSize)
                         .makeViewController(parent);
  if (request.failed) {
    QObject::connect(controller, &MonacoViewController::pageProcessEnded, controller, std::move(request.failed),
                     Qt::SingleShotConnection);
  }
  return {.view = controller, .writeShownText = [controller = QPointer(controller)](std::function<void()> written) {
            // An editor already gone left its text stored.
            if (controller) {
              controller->writeShownText(std::move(written));
            } else {
              written();
            }
          }};
}

}  // namespace monacohost
