#pragma once

#include <algorithm>
#include <concepts>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <variant>
#include <vector>

#include "Platform/Dispatch/DispatchQueue.h"
#include "Platform/Foundation/ProcessInfo.h"
#include "Wendanet/Source/Core/Protected.h"
#include "Wendanet/Source/Core/Request.h"
#include "Wendanet/Source/Support/RequestInterceptor.h"
#include "Wendanet/Source/Policies/AuthenticationError.h"
#include "Wendanet/Source/Policies/Authenticator.h"

namespace wendanet {

// Signs every request with the authenticator's credential and keeps that
// credential fresh: one refresh at a time, requests held back while it runs
// and released (adapts first, then retries, each in arrival order) on the
// interceptor's own queue when it ends. Refreshes starting too often within
// the refresh window fail instead, so a credential the server keeps
// rejecting cannot loop for ever.
template <class AuthenticatorType>
  requires std::derived_from<AuthenticatorType, Authenticator<typename AuthenticatorType::Credential>>
class AuthenticationInterceptor final : public RequestInterceptor,
                                        public std::enable_shared_from_this<AuthenticationInterceptor<AuthenticatorType>> {
 public:
  using Credential = typename AuthenticatorType::Credential;

  // At most `maximumAttempts` refreshes may start within any `interval`
  // seconds.
  struct RefreshWindow {
    double interval = 30.0;
    int maximumAttempts = 5;
  };
  // Seconds on a clock that only moves forward.
  using Uptime = std::function<double()>;

  static std::shared_ptr<AuthenticationInterceptor> make(
      std::shared_ptr<AuthenticatorType> authenticator, std::optional<Credential> credential = std::nullopt,
      std::optional<RefreshWindow> refreshWindow = RefreshWindow(),
      Uptime uptime = [] { return platform::ProcessInfo::processInfo().systemUptime(); }) {
    return std::shared_ptr<AuthenticationInterceptor>(new AuthenticationInterceptor(
        std::move(authenticator), std::move(credential), refreshWindow, std::move(uptime)));
  }

  const std::shared_ptr<AuthenticatorType>& authenticator() const { return authenticator_; }
  const std::shared_ptr<platform::DispatchQueue>& queue() const { return queue_; }

  std::optional<Credential> credential() const {
    return mutableState_.write([](MutableState& state) { return state.credential; });
  }
  // Changes nothing else: a running refresh, held-back requests and the
  // refresh history stay as they are.
  void setCredential(std::optional<Credential> credential) {
    mutableState_.write([&](MutableState& state) { state.credential = std::move(credential); });
  }

  void adapt(const platform::URLRequest& urlRequest, const std::shared_ptr<Session>& session,
             AdaptCompletion completion) override {
    const AdaptDecision decision = mutableState_.write([&](MutableState& state) -> AdaptDecision {
      if (state.isRefreshing) {
        state.adaptOperations.push_back({urlRequest, session, std::move(completion)});
        return AdaptDeferred{};
      }
      if (!state.credential) return DoNotAdapt{AuthenticationError::missingCredential()};
      if (!state.credential->requiresRefresh()) return Adapt{*state.credential};
      state.adaptOperations.push_back({urlRequest, session, std::move(completion)});
      refresh(*state.credential, session, state);
      return AdaptDeferred{};
    });

    if (const auto* adapt = std::get_if<Adapt>(&decision)) {
      platform::URLRequest signedRequest = urlRequest;
      authenticator_->apply(adapt->credential, signedRequest);
      completion(std::move(signedRequest));
    } else if (const auto* doNotAdapt = std::get_if<DoNotAdapt>(&decision)) {
      completion(std::unexpected(doNotAdapt->error));
    }
  }

  void retry(const std::shared_ptr<Request>& request, const std::shared_ptr<Session>& session,
             const platform::AnyError& error, RetryCompletion completion) override {
    const auto urlRequest = request ? request->request() : std::nullopt;
    if (!urlRequest) return completion(RetryResult::doNotRetry());
    const auto response = request->response();
    if (!response) return completion(RetryResult::doNotRetry());
    if (!authenticator_->didRequestFailDueToAuthenticationError(*urlRequest, *response, error)) {
      return completion(RetryResult::doNotRetry());
    }
    const auto current = credential();
    if (!current) return completion(RetryResult::doNotRetryWithError(AuthenticationError::missingCredential()));
    // Signed with an older credential: adapting again signs it with this one.
    if (!authenticator_->isRequestAuthenticatedWithCredential(*urlRequest, *current)) {
      return completion(RetryResult::retry());
    }
    mutableState_.write([&](MutableState& state) {
      state.requestsToRetry.push_back(std::move(completion));
      if (!state.isRefreshing) refresh(*current, session, state);
    });
  }

 private:
  struct AdaptOperation {
    platform::URLRequest urlRequest;
    std::shared_ptr<Session> session;
    AdaptCompletion completion;
  };

  struct MutableState {
    std::optional<Credential> credential;
    bool isRefreshing = false;
    // Uptimes of the refreshes started within the window; older ones no
    // longer count and are dropped.
    std::vector<double> refreshTimestamps = {};
    std::optional<RefreshWindow> refreshWindow = std::nullopt;
    std::vector<AdaptOperation> adaptOperations = {};
    std::vector<RetryCompletion> requestsToRetry = {};
  };

  struct Adapt {
    Credential credential;
  };
  struct DoNotAdapt {
    platform::AnyError error;
  };
  struct AdaptDeferred {};
  using AdaptDecision = std::variant<Adapt, DoNotAdapt, AdaptDeferred>;

  AuthenticationInterceptor(std::shared_ptr<AuthenticatorType> authenticator, std::optional<Credential> credential,
                            std::optional<RefreshWindow> refreshWindow, Uptime uptime)
      : authenticator_(std::move(authenticator)),
        queue_(platform::DispatchQueue::make("org.wendanet.authentication.inspector")),
        uptime_(std::move(uptime)),
        mutableState_(MutableState{.credential = std::move(credential), .refreshWindow = refreshWindow}) {}

  // All of the following run with the state lock held.

  void refresh(const Credential& credential, const std::shared_ptr<Session>& session, MutableState& state) {
    if (isRefreshExcessive(state)) return handleRefreshFailure(AuthenticationError::excessiveRefresh(), state);
    if (state.refreshWindow) state.refreshTimestamps.push_back(uptime_());
    state.isRefreshing = true;
    queue_->async([self = this->shared_from_this(), credential, session] {
      self->authenticator_->refresh(credential, session, [self](typename AuthenticatorType::RefreshResult result) {
        self->mutableState_.write([&](MutableState& state) {
          if (result) {
            self->handleRefreshSuccess(*std::move(result), state);
          } else {
            self->handleRefreshFailure(result.error(), state);
          }
        });
      });
    });
  }

  bool isRefreshExcessive(MutableState& state) const {
    if (!state.refreshWindow) return false;
    const double earliest = uptime_() - state.refreshWindow->interval;
    std::erase_if(state.refreshTimestamps, [earliest](double timestamp) { return timestamp < earliest; });
    return std::cmp_greater_equal(state.refreshTimestamps.size(), std::max(state.refreshWindow->maximumAttempts, 0));
  }

  void handleRefreshSuccess(Credential credential, MutableState& state) {
    state.credential = std::move(credential);
    state.isRefreshing = false;
    queue_->async([self = this->shared_from_this(), operations = std::exchange(state.adaptOperations, {}),
                   retries = std::exchange(state.requestsToRetry, {})]() mutable {
      for (auto& operation : operations) {
        self->adapt(operation.urlRequest, operation.session, std::move(operation.completion));
      }
      for (auto& retry : retries) retry(RetryResult::retry());
    });
  }

  void handleRefreshFailure(const platform::AnyError& error, MutableState& state) {
    state.isRefreshing = false;
    queue_->async([error, operations = std::exchange(state.adaptOperations, {}),
                   retries = std::exchange(state.requestsToRetry, {})]() mutable {
      for (auto& operation : operations) operation.completion(std::unexpected(error));
      for (auto& retry : retries) retry(RetryResult::doNotRetryWithError(error));
    });
  }

  const std::shared_ptr<AuthenticatorType> authenticator_;
  const std::shared_ptr<platform::DispatchQueue> queue_;
  const Uptime uptime_;
  mutable Protected<MutableState> mutableState_;
};

}  // namespace wendanet
