#include <gtest/gtest.h>

#include <QApplication>
#include <chrono>

#include "MonacoHost/Loading/EngineEnvironment.h"
#include "Wendalore/MainQueueBridge.h"
#include "tests/tools/StuckTestWatch.h"

// The window's web editor shares its graphics context with the window, which
// must be settled before the application object exists, as must the
// environment the program gives the engine; the view model's completions
// arrive on the main queue, which the event loop runs.
int main(int argc, char* argv[]) {
  testing::InitGoogleTest(&argc, argv);
  monacohost::prepareEngineEnvironment();
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication application(argc, argv);
  wendalore::bridgeMainQueueToEventLoop();
  StuckTestWatch::install(std::chrono::minutes(4));
  return RUN_ALL_TESTS();
}
