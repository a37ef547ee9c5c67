#include "Wendalore/Views/Shell/MainWindow.h"

#include <QStatusBar>

namespace wendalore {

MainWindow::MainWindow(std::shared_ptr<platform::ModelContext> modelContext, QWidget* parent)
    : QMainWindow(parent),
      modelContext_(std::move(modelContext)),
      contentView_(new ContentView),
      statusLabel_(new QLabel) {
  setWindowTitle(QStringLiteral("Wendalore"));
  setCentralWidget(contentView_);
  // Messages carry URLs and server texts: never markup.
  statusLabel_->setTextFormat(Qt::PlainText);
  statusLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  statusBar()->addWidget(statusLabel_, 1);
  resize(1200, 800);
}

void MainWindow::setViewModel(std::shared_ptr<RequestViewModel> viewModel) {
  viewModelObservation_.cancel();
  viewModel_ = std::move(viewModel);
  auto refresh = [this] { showStatus(StatusLine::of(viewModel_->responseStatus(), viewModel_->errorMessage())); };
  viewModelObservation_ = viewModel_->observeDidChange([refresh](std::string_view) { refresh(); });
  refresh();
}

void MainWindow::showStatus(const StatusLine& line) {
  statusLabel_->setText(QString::fromStdString(line.text));
  QPalette palette = statusBar()->palette();
  if (line.isError) palette.setColor(QPalette::WindowText, Qt::red);
  statusLabel_->setPalette(palette);
}

void MainWindow::bringToFront() {
  if (isMinimized()) showNormal();
  show();
  raise();
  activateWindow();
}

}  // namespace wendalore
