#include "Wendalore/Views/Shell/WendaloreApp.h"

#include <fmt/format.h>

#include <QApplication>
#include <QMenuBar>

#include "Wendalore/Views/Shell/ApplicationIcon.h"
#include "Wendalore/Views/Shell/ApplicationStore.h"
#include "Wendalore/Views/Shell/CheckForUpdatesView.h"

namespace wendalore {

std::expected<std::unique_ptr<WendaloreApp>, std::string> WendaloreApp::launch(
    std::shared_ptr<const platform::Bundle> bundle, std::shared_ptr<Updater> updater,
    const std::filesystem::path& storeFile) {
  auto appDelegate = std::make_unique<AppDelegate>(std::move(bundle));
  auto container = ApplicationStore::open(storeFile);
  if (!container) return std::unexpected(container.error());
  return std::make_unique<WendaloreApp>(std::move(appDelegate), std::move(updater), std::move(*container));
}

WendaloreApp::WendaloreApp(std::unique_ptr<AppDelegate> appDelegate, std::shared_ptr<Updater> updater,
                           std::shared_ptr<platform::ModelContainer> container)
    : appDelegate_(std::move(appDelegate)),
      updater_(std::move(updater)),
      container_(std::move(container)),
      window_(std::make_unique<MainWindow>(container_->mainContext())),
      saveFailures_(std::make_unique<SaveFailureReport>(container_->mainContext(), *window_)) {
  // Every window of the program, the About window among them, shows it.
  QApplication::setWindowIcon(applicationIcon());
  window_->setViewModel(RequestViewModel::make());
  content_ = std::make_unique<WindowContent>(*window_);
  buildCommands();
  appDelegate_->applicationDidFinishLaunching(window_.get());
  // Tied to the window, which goes first when the application goes.
  QObject::connect(qApp, &QCoreApplication::aboutToQuit, window_.get(), [this] { applicationWillTerminate(); });
}

void WendaloreApp::buildCommands() {
  auto* menu = window_->menuBar()->addMenu(QStringLiteral("Wendalore"));
  auto* about = menu->addAction(QStringLiteral("About Wendalore"));
  about->setMenuRole(QAction::NoRole);
  QObject::connect(about, &QAction::triggered, appDelegate_.get(), &AppDelegate::showAboutWindow);
  menu->addAction(new CheckForUpdatesView(updater_, menu));
  menu->addSeparator();
  auto* quit = menu->addAction(QStringLiteral("Quit"));
  quit->setMenuRole(QAction::NoRole);
  quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
  // Also from the About window.
  quit->setShortcutContext(Qt::ApplicationShortcut);
  QObject::connect(quit, &QAction::triggered, window_.get(), [this] { this->quit(); }, Qt::QueuedConnection);
}

void WendaloreApp::quit() {
  if (saveFailures_->confirmQuit()) QCoreApplication::quit();
}

void WendaloreApp::applicationWillTerminate() {
  if (auto saved = container_->mainContext()->save(); !saved) {
    fmt::print(stderr, "Wendalore: the last changes could not be saved: {}\n", saved.error()->description());
  }
}

}  // namespace wendalore
