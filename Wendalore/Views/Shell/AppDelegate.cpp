#include "Wendalore/Views/Shell/AppDelegate.h"

#include <QCoreApplication>
#include <QEvent>
#include <QScreen>

namespace wendalore {

AppDelegate::AppDelegate(std::shared_ptr<const platform::Bundle> bundle, QObject* parent)
    : QObject(parent), bundle_(std::move(bundle)) {}

// Closing the About window sends its events through the application's
// filters, this one among them: it must stop watching before its members go.
AppDelegate::~AppDelegate() {
  if (auto* application = QCoreApplication::instance()) application->removeEventFilter(this);
}

void AppDelegate::showAboutWindow() {
  if (!aboutWindow_) {
    aboutWindow_ = std::make_unique<AboutView>(bundle_);
    if (const auto* screen = aboutWindow_->screen()) {
      aboutWindow_->move(screen->availableGeometry().center() - aboutWindow_->rect().center());
    }
  }
  aboutWindow_->show();
  aboutWindow_->raise();
  aboutWindow_->activateWindow();
}

void AppDelegate::applicationDidFinishLaunching(QWidget* mainWindow) {
  mainWindow_ = mainWindow;
  // Watching the whole application sees the main window's close requests
  // and also the quit request, which asks every window to close first: the
  // main window must not refuse then, or Quit would do nothing.
  QCoreApplication::instance()->installEventFilter(this);
}

bool AppDelegate::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Quit && watched == QCoreApplication::instance()) {
    terminating_ = true;
  } else if (event->type() == QEvent::Close && watched == mainWindow_ && !terminating_) {
    mainWindow_->hide();
    event->ignore();
    return true;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace wendalore
