#pragma once

#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "Platform/Dispatch/DispatchQueue.h"
#include "Wendanet/Source/Support/EventMonitor.h"

namespace wendanet::testing {

// Writes down a few events as short texts, and whether each arrived on the
// queue the monitor named. Readable from any thread.
class RecordingMonitor : public EventMonitor {
 public:
  // Null: the interface's default queue.
  explicit RecordingMonitor(std::shared_ptr<platform::DispatchQueue> queue = nullptr) : queue_(std::move(queue)) {}

  std::shared_ptr<platform::DispatchQueue> queue() const override { return queue_ ? queue_ : EventMonitor::queue(); }

  void requestDidCreateURLRequest(const std::shared_ptr<Request>&, const platform::URLRequest& urlRequest) override {
    record(urlRequest.description());
  }
  void requestDidFinish(const std::shared_ptr<Request>&) override { record("finish"); }
  void requestDidParseSerializedResponse(const std::shared_ptr<DataRequest>&,
                                         const DataResponse<AnyValue>& response) override {
    record(response.description());
  }

  std::vector<std::string> events() const {
    std::lock_guard lock(mutex_);
    return events_;
  }
  bool allOnTheirQueue() const {
    std::lock_guard lock(mutex_);
    return allOnTheirQueue_;
  }

 protected:
  void record(std::string event) {
    const bool onQueue = queue()->isCurrent();
    std::lock_guard lock(mutex_);
    events_.push_back(std::move(event));
    allOnTheirQueue_ = allOnTheirQueue_ && onQueue;
  }

 private:
  std::shared_ptr<platform::DispatchQueue> queue_;
  mutable std::mutex mutex_;
  std::vector<std::string> events_;
  bool allOnTheirQueue_ = true;
};

// Holds a serial queue busy until opened, so that work submitted meanwhile
// waits behind it.
class QueueGate {
 public:
  explicit QueueGate(platform::DispatchQueue& queue) {
    queue.async([opened = opened_.get_future()] { opened.wait(); });
  }
  ~QueueGate() { open(); }
  void open() {
    if (!isOpen_) opened_.set_value();
    isOpen_ = true;
  }

 private:
  std::promise<void> opened_;
  bool isOpen_ = false;
};

// Returns once everything submitted to the serial queue so far has run.
inline void drain(platform::DispatchQueue& queue) {
  queue.sync([] {});
}

}  // namespace wendanet::testing
