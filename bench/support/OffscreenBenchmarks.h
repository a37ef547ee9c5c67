#pragma once

#include <benchmark/benchmark.h>

#include <QApplication>

// Runs the program's benchmarks with widgets drawn offscreen, for benchmarks
// that build real widgets without a display.
inline int runOffscreenBenchmarks(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
