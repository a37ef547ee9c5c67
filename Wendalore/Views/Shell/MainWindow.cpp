#include "Wendalore/Views/Shell/MainWindow.h"

namespace wendalore {

MainWindow::MainWindow(std::shared_ptr<platform::ModelContext> modelContext, QWidget* parent)
    : QMainWindow(parent), modelContext_(std::move(modelContext)), contentView_(new ContentView) {
  setWindowTitle(QStringLiteral("Wendalore"));
  setCentralWidget(contentView_);
  resize(1200, 800);
}

void MainWindow::bringToFront() {
  if (isMinimized()) showNormal();
  show();
  raise();
  activateWindow();
}

}  // namespace wendalore
