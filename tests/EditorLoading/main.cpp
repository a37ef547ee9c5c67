#include <gtest/gtest.h>

#include <QApplication>
#include <chrono>

#include "MonacoHost/Loading/EngineEnvironment.h"
#include "Wendalore/MainQueueBridge.h"
#include "tests/tools/StuckTestWatch.h"

// Starts as the program does: nothing of the web engine before the
// application object, only its switches in the environment.
int main(int argc, char* argv[]) {
  testing::InitGoogleTest(&argc, argv);
  monacohost::prepareEngineEnvironment();
  QApplication application(argc, argv);
  wendalore::bridgeMainQueueToEventLoop();
  StuckTestWatch::install(std::chrono::minutes(4));
  return RUN_ALL_TESTS();
}
