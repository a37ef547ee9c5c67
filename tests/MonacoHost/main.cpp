#include <gtest/gtest.h>

#include <QApplication>
#include <chrono>

#include "MonacoHost/Loading/EngineEnvironment.h"
#include "tests/tools/StuckTestWatch.h"

// The web views need an application object, made before any test runs and
// gone only after the last view, and the environment the program gives the
// engine before it.
int main(int argc, char* argv[]) {
  testing::InitGoogleTest(&argc, argv);
  monacohost::prepareEngineEnvironment();
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication application(argc, argv);
  StuckTestWatch::install(std::chrono::minutes(4));
  return RUN_ALL_TESTS();
}
