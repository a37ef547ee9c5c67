#include "Wendalore/MainQueueBridge.h"

#include <QCoreApplication>
#include <QMetaObject>

#include "Platform/Dispatch/RunLoop.h"

namespace wendalore {

void bridgeMainQueueToEventLoop() {
  platform::RunLoop::main().setWakeUpHandler([] {
    if (auto* application = QCoreApplication::instance()) {
      QMetaObject::invokeMethod(application, [] { platform::RunLoop::main().runPending(); }, Qt::QueuedConnection);
    }
  });
  // Blocks posted before the bridge existed.
  platform::RunLoop::main().runPending();
}

}  // namespace wendalore
