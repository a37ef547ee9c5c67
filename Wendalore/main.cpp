#include <fmt/format.h>

#include <QApplication>
#include <QMessageBox>
#include <cstdlib>

#include "MonacoHost/Loading/EngineEnvironment.h"
#include "Platform/Foundation/Bundle.h"
#include "Wendalore/ApplicationBundle.h"
#include "Wendalore/MainQueueBridge.h"
#include "Wendalore/Views/Shell/ApplicationStore.h"
#include "Wendalore/Views/Shell/NoOpUpdater.h"
#include "Wendalore/Views/Shell/SingleInstance.h"
#include "Wendalore/Views/Shell/WendaloreApp.h"

namespace {

// The store cannot be opened: the program cannot go on, and says why.
int stopWith(const std::string& message) {
  fmt::print(stderr, "{}\n", message);
  QMessageBox::critical(nullptr, QStringLiteral("Wendalore"), QString::fromStdString(message));
  return EXIT_FAILURE;
}

}  // namespace

int main(int argc, char* argv[]) {
  wendalore::registerApplicationBundle();
  // The code editor's web engine is loaded only when a body editor is first
  // shown, but reads its switches from the environment, which is safest set
  // while this is the only thread.
  monacohost::prepareEngineEnvironment();
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Wendalore"));
  // Closing the window only hides it; Quit ends the program.
  QApplication::setQuitOnLastWindowClosed(false);

  // The application's bundle information, which the About window shows.
  const auto bundle = platform::Bundle::main();

  wendalore::SingleInstance instance(wendalore::SingleInstance::defaultSocketPath());
  switch (instance.claim()) {
    case wendalore::SingleInstance::Claim::forwarded:
      return EXIT_SUCCESS;
    case wendalore::SingleInstance::Claim::unavailable:
      fmt::print(stderr, "Wendalore: a later start cannot find this one and will run beside it: {}\n",
                 instance.errorString().toStdString());
      break;
    case wendalore::SingleInstance::Claim::running:
      break;
  }
  wendalore::bridgeMainQueueToEventLoop();

  const auto storeFile = wendalore::ApplicationStore::defaultFile();
  if (!storeFile) return stopWith(storeFile.error());
  auto app = wendalore::WendaloreApp::launch(bundle, std::make_shared<wendalore::NoOpUpdater>(), *storeFile);
  if (!app) return stopWith(app.error());
  auto& window = (*app)->window();
  QObject::connect(&instance, &wendalore::SingleInstance::activationRequested, &window,
                   &wendalore::MainWindow::bringToFront);
  window.show();
  return QApplication::exec();
}
