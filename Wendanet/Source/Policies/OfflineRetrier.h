#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "Platform/Dispatch/DispatchQueue.h"
#include "Platform/Dispatch/DispatchWorkItem.h"
#include "Platform/Network/NetworkPathMonitor.h"
#include "Wendanet/Source/Core/Protected.h"
#include "Wendanet/Source/Support/RequestInterceptor.h"

namespace wendanet {

// Holds back requests that failed because the machine was offline until the
// network returns (they are retried) or the maximum wait passes (they are
// not). Failures during one wait join it and share its answer.
class OfflineRetrier final : public RequestInterceptor, public std::enable_shared_from_this<OfflineRetrier> {
 public:
  // Starting and stopping one watch of the network.
  struct PathMonitor {
    enum class Result { pathAvailable, timeout };
    std::function<void(std::shared_ptr<platform::DispatchQueue>, std::function<void(Result)>)> start;
    std::function<void()> stop;
  };

  using MonitorCreator = std::function<std::shared_ptr<platform::NetworkPathMonitor>()>;
  using OfflineTest = std::function<bool(const platform::AnyError&)>;
  // Runs the work item on the queue once `seconds` have passed.
  using Scheduler = std::function<void(const std::shared_ptr<platform::DispatchQueue>&, double seconds,
                                       std::shared_ptr<platform::DispatchWorkItem>)>;

  static constexpr double defaultMaximumWait = 5.0;
  // Offline when the error, or the error inside a WNError (however deeply
  // nested), is notConnectedToInternet.
  static bool isOfflineErrorByDefault(const platform::AnyError& error);
  static Scheduler defaultScheduler();
  // Shared by every retrier; path updates and time-outs arrive here, and
  // waiting requests are answered here.
  static const std::shared_ptr<platform::DispatchQueue>& monitorQueue();

  static std::shared_ptr<OfflineRetrier> make(MonitorCreator monitorCreator = [] { return platform::NetworkPathMonitor::make(); },
                                              double maximumWait = defaultMaximumWait,
                                              OfflineTest isOfflineError = isOfflineErrorByDefault,
                                              Scheduler scheduler = defaultScheduler());
  static std::shared_ptr<OfflineRetrier> make(platform::NetworkInterfaceType requiredInterfaceType,
                                              double maximumWait = defaultMaximumWait,
                                              OfflineTest isOfflineError = isOfflineErrorByDefault);
  static std::shared_ptr<OfflineRetrier> make(std::vector<platform::NetworkInterfaceType> prohibitedInterfaceTypes,
                                              double maximumWait = defaultMaximumWait,
                                              OfflineTest isOfflineError = isOfflineErrorByDefault);

  // Requests still waiting are answered doNotRetry: their sessions must not
  // wait for ever on a retrier that is gone.
  ~OfflineRetrier() override;

  void retry(const std::shared_ptr<Request>& request, const std::shared_ptr<Session>& session,
             const platform::AnyError& error, RetryCompletion completion) override;

 private:
  struct State {
    double maximumWait;
    OfflineTest isOfflineError;
    std::function<PathMonitor()> monitorCreator;
    Scheduler scheduler;
    std::shared_ptr<platform::DispatchWorkItem> timeoutWorkItem = nullptr;
    std::optional<PathMonitor> currentMonitor = std::nullopt;
    std::vector<RetryCompletion> pendingCompletions = {};
  };

  explicit OfflineRetrier(State state);
  // Both run with the state lock held.
  void startWaiting(State& state);
  static void endWaiting(State& state, PathMonitor::Result result);

  Protected<State> state_;
};

}  // namespace wendanet
