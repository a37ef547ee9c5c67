#include "Wendanet/Source/Policies/OfflineRetrier.h"

#include <utility>

#include "Platform/Foundation/URLError.h"
#include "Wendanet/Source/Core/WNErrorCasts.h"

namespace wendanet {

namespace {

using MonitorResult = OfflineRetrier::PathMonitor::Result;

OfflineRetrier::PathMonitor wrap(std::shared_ptr<platform::NetworkPathMonitor> monitor) {
  return {
      .start =
          [monitor](std::shared_ptr<platform::DispatchQueue> queue, std::function<void(MonitorResult)> handler) {
            monitor->setPathUpdateHandler([handler = std::move(handler)](const platform::NetworkPath& path) {
              if (path.status != platform::NetworkPath::Status::unsatisfied) handler(MonitorResult::pathAvailable);
            });
            monitor->start(std::move(queue));
          },
      .stop =
          [monitor] {
            monitor->cancel();
            monitor->setPathUpdateHandler(nullptr);
          },
  };
}

}  // namespace

bool OfflineRetrier::isOfflineErrorByDefault(const platform::AnyError& error) {
  if (const auto wnError = castToWNError(error)) {
    const auto underlying = wnError->getUnderlyingError();
    return underlying && isOfflineErrorByDefault(underlying);
  }
  const auto* urlError = platform::errorAs<platform::URLError>(error);
  return urlError && urlError->code() == platform::URLError::Code::notConnectedToInternet;
}

OfflineRetrier::Scheduler OfflineRetrier::defaultScheduler() {
  return [](const std::shared_ptr<platform::DispatchQueue>& queue, double seconds,
            std::shared_ptr<platform::DispatchWorkItem> item) {
    const auto deadline = platform::DispatchQueue::Clock::now() +
                          std::chrono::duration_cast<platform::DispatchQueue::Clock::duration>(
                              std::chrono::duration<double>(seconds));
    queue->asyncAfter(deadline, std::move(item));
  };
}

const std::shared_ptr<platform::DispatchQueue>& OfflineRetrier::monitorQueue() {
  static const auto queue = platform::DispatchQueue::make("org.wendanet.offlineRetrier.monitorQueue");
  return queue;
}

std::shared_ptr<OfflineRetrier> OfflineRetrier::make(MonitorCreator monitorCreator, double maximumWait,
                                                     OfflineTest isOfflineError, Scheduler scheduler) {
  return std::shared_ptr<OfflineRetrier>(new OfflineRetrier({
      .maximumWait = maximumWait,
      .isOfflineError = std::move(isOfflineError),
      .monitorCreator = [monitorCreator = std::move(monitorCreator)] { return wrap(monitorCreator()); },
      .scheduler = std::move(scheduler),
  }));
}

std::shared_ptr<OfflineRetrier> OfflineRetrier::make(platform::NetworkInterfaceType requiredInterfaceType,
                                                     double maximumWait, OfflineTest isOfflineError) {
  return make([requiredInterfaceType] { return platform::NetworkPathMonitor::make(requiredInterfaceType); },
              maximumWait, std::move(isOfflineError));
}

std::shared_ptr<OfflineRetrier> OfflineRetrier::make(std::vector<platform::NetworkInterfaceType> prohibitedInterfaceTypes,
                                                     double maximumWait, OfflineTest isOfflineError) {
  return make([prohibited = std::move(prohibitedInterfaceTypes)] { return platform::NetworkPathMonitor::make(prohibited); },
              maximumWait, std::move(isOfflineError));
}

OfflineRetrier::OfflineRetrier(State state) : state_(std::move(state)) {}

OfflineRetrier::~OfflineRetrier() {
  state_.write([](State& state) { endWaiting(state, MonitorResult::timeout); });
}

void OfflineRetrier::retry(const std::shared_ptr<Request>&, const std::shared_ptr<Session>&,
                           const platform::AnyError& error, RetryCompletion completion) {
  state_.write([&](State& state) {
    if (!state.isOfflineError(error)) return completion(RetryResult::doNotRetry());
    state.pendingCompletions.push_back(std::move(completion));
    if (!state.currentMonitor) startWaiting(state);
  });
}

void OfflineRetrier::startWaiting(State& state) {
  // Neither the time-out nor the monitor keeps the retrier alive.
  const auto resultHandler = [weakSelf = weak_from_this()](MonitorResult result) {
    if (const auto self = weakSelf.lock()) self->state_.write([&](State& state) { endWaiting(state, result); });
  };
  state.timeoutWorkItem = platform::DispatchWorkItem::make([resultHandler] { resultHandler(MonitorResult::timeout); });
  state.scheduler(monitorQueue(), state.maximumWait, state.timeoutWorkItem);
  state.currentMonitor = state.monitorCreator();
  state.currentMonitor->start(monitorQueue(), resultHandler);
}

void OfflineRetrier::endWaiting(State& state, PathMonitor::Result result) {
  auto completions = std::exchange(state.pendingCompletions, {});
  if (const auto item = std::exchange(state.timeoutWorkItem, nullptr)) item->cancel();
  if (auto monitor = std::exchange(state.currentMonitor, std::nullopt)) monitor->stop();
  if (completions.empty()) return;
  monitorQueue()->async([completions = std::move(completions), result]() mutable {
    for (auto& completion : completions) {
      completion(result == MonitorResult::pathAvailable ? RetryResult::retry() : RetryResult::doNotRetry());
    }
  });
}

}  // namespace wendanet
