#include <gtest/gtest.h>

#include <QApplication>

#include "MonacoHost/Loading/EngineEnvironment.h"
#include "Wendalore/MainQueueBridge.h"

// Starts as the program does: nothing of the web engine before the
// application object, only its switches in the environment.
int main(int argc, char* argv[]) {
  testing::InitGoogleTest(&argc, argv);
  monacohost::prepareEngineEnvironment();
  QApplication application(argc, argv);
  wendalore::bridgeMainQueueToEventLoop();
  return RUN_ALL_TESTS();
}
