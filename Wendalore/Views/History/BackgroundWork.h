#pragma once

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>

#include <atomic>
#include <memory>
#include <utility>

#include "Platform/Dispatch/DispatchQueue.h"

namespace wendalore {

// The queue on which the history's views index and search large texts; one
// for all of them, so that they never take more than one core.
const std::shared_ptr<platform::DispatchQueue>& historyBackgroundQueue();

// Runs `work` on the background queue and hands what it gives to `done` on
// the UI thread, unless `context` is gone by then.
template <class Work, class Done>
void runInBackground(QObject* context, Work work, Done done) {
  historyBackgroundQueue()->async([context = QPointer<QObject>(context), work = std::move(work),
                                   done = std::move(done)]() mutable {
    auto result = work();
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [context, done = std::move(done), result = std::move(result)]() mutable {
          if (context) done(std::move(result));
        },
        Qt::QueuedConnection);
  });
}

// A flag that tells the background work of one request that a newer one has
// replaced it.
class Cancellation {
 public:
  // Cancels the previous request's work and gives the flag for the next.
  std::shared_ptr<const std::atomic<bool>> renew() {
    if (current_) current_->store(true);
    current_ = std::make_shared<std::atomic<bool>>(false);
    return current_;
  }
  ~Cancellation() {
    if (current_) current_->store(true);
  }

 private:
  std::shared_ptr<std::atomic<bool>> current_;
};

}  // namespace wendalore
