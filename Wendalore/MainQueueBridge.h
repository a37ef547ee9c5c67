#pragma once

namespace wendalore {

// Lets Qt's event loop run the main dispatch queue: every block posted to
// it wakes the event loop, which then runs what is pending on the GUI thread.
void bridgeMainQueueToEventLoop();

}  // namespace wendalore
