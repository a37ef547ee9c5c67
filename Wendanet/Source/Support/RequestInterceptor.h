#pragma once

#include <expected>
#include <functional>
#include <memory>

#include "Platform/Foundation/Error.h"
#include "Platform/Foundation/URLRequest.h"
#include "Platform/Foundation/UUID.h"
#include "Wendanet/Source/Support/RetryResult.h"

namespace wendanet {

class Request;
class Session;

// What an adapter is told about the request whose URL request it adapts.
struct RequestAdapterState {
  platform::UUID requestID;
  std::shared_ptr<Session> session;
};

// An adapter's answer: the URL request to send, or the error it failed with.
using AdaptResult = std::expected<platform::URLRequest, platform::AnyError>;
// Completions are called exactly once, on any thread, at once or later.
using AdaptCompletion = std::move_only_function<void(AdaptResult)>;
using RetryCompletion = std::move_only_function<void(RetryResult)>;

// Changes a URL request just before its task is created.
class RequestAdapter {
 public:
  virtual ~RequestAdapter() = default;

  virtual void adapt(const platform::URLRequest& urlRequest, const std::shared_ptr<Session>& session,
                     AdaptCompletion completion) = 0;
  // The session adapts through this one; it forwards to `adapt` with the
  // state's session unless overridden.
  virtual void adaptWithState(const platform::URLRequest& urlRequest, const RequestAdapterState& state,
                              AdaptCompletion completion) {
    adapt(urlRequest, state.session, std::move(completion));
  }
};

// Decides whether a failed request is sent again, and after what delay.
class RequestRetrier {
 public:
  virtual ~RequestRetrier() = default;

  virtual void retry(const std::shared_ptr<Request>& request, const std::shared_ptr<Session>& session,
                     const platform::AnyError& error, RetryCompletion completion) = 0;
};

// Both roles in one; whichever is not overridden leaves the request alone:
// the URL request passes unchanged, and a failure is not retried.
class RequestInterceptor : public RequestAdapter, public RequestRetrier {
 public:
  void adapt(const platform::URLRequest& urlRequest, const std::shared_ptr<Session>& session,
             AdaptCompletion completion) override;
  void retry(const std::shared_ptr<Request>& request, const std::shared_ptr<Session>& session,
             const platform::AnyError& error, RetryCompletion completion) override;
};

}  // namespace wendanet
