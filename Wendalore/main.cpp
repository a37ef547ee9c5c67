#include <QApplication>
#include <QMainWindow>

#include "Wendalore/ApplicationBundle.h"
#include "Wendalore/MainQueueBridge.h"

int main(int argc, char* argv[]) {
  wendalore::registerApplicationBundle();
  QApplication application(argc, argv);
  QApplication::setApplicationName("Wendalore");
  wendalore::bridgeMainQueueToEventLoop();

  QMainWindow window;
  window.setWindowTitle("Wendalore");
  window.resize(1200, 800);
  window.show();
  return application.exec();
}
