#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "Platform/Concurrency/CheckedContinuation.h"
#include "Platform/Concurrency/Task.h"
#include "Platform/Dispatch/RunLoop.h"
#include "Wendanet/Source/Core/DataRequest.h"
#include "Wendanet/Source/Core/DownloadRequest.h"

namespace wendanet {

// The awaitable outcome of one response handler on a request. The handler
// is registered by a task started when the handle is made (so the request
// starts, or not, as its own rules say); every read of `response`, `result`
// or `value` awaits that one task and gets the same response. Copies share
// the request and the task.
template <class RequestKind, class Response>
class ResponseTask {
 public:
  using Value = typename Response::Result::value_type;
  using Completion = std::function<void(const Response&)>;
  // Adds the response handler that calls the completion, once.
  using ForResponse = std::function<void(Completion)>;

  // `function` names the builder in the continuation's misuse messages.
  ResponseTask(std::shared_ptr<RequestKind> request, bool automaticallyCancelling, std::string function,
               ForResponse forResponse)
      : request_(request),
        task_(run(std::move(request), std::move(function), std::move(forResponse))),
        shouldAutomaticallyCancel_(automaticallyCancelling) {}

  const std::shared_ptr<RequestKind>& request() const { return request_; }
  bool shouldAutomaticallyCancel() const { return shouldAutomaticallyCancel_; }

  // Awaitables. With automatic cancelling, cancelling the task that awaits
  // one cancels this task and so the request; the await still ends with
  // the response the cancelled request produces.
  auto response() const {
    return awaiting([](const Response& response) { return response; });
  }
  auto result() const {
    return awaiting([](const Response& response) { return response.result(); });
  }
  // Throws the failure's WNError.
  auto value() const { return awaiting(&valueOf); }

  // Blocking reads, for code outside any coroutine. `waitForResponse`
  // must not run on a thread the request needs: with a session whose
  // queues run on the main queue, call it with the main run loop from the
  // thread that pumps it.
  Response waitForResponse() const { return task_.wait(); }
  Response waitForResponse(platform::RunLoop& pumping) const { return task_.waitPumping(pumping); }

  // Cancels the task, whose cancellation handler cancels the request; after
  // the response has arrived it changes nothing.
  void cancel() const { task_.cancel(); }
  void resume() const { request_->resume(); }
  void suspend() const { request_->suspend(); }

 private:
  static platform::Task<Response> run(std::shared_ptr<RequestKind> request, std::string function,
                                      ForResponse forResponse) {
    // Awaitables are named before they are awaited: temporaries in the
    // awaiting expression are not reliably destroyed once by the compiler.
    const auto cancellation = co_await platform::currentTaskCancellation();
    platform::TaskCancellationHandler onCancel(cancellation, [request] { request->cancel(); });
    auto registering = platform::withCheckedContinuation<Response>(
        std::move(function), [forResponse = std::move(forResponse)](platform::CheckedContinuation<Response> resume) {
          forResponse([resume](const Response& response) { resume.resume(response); });
        });
    co_return co_await registering;
  }

  static Value valueOf(const Response& response) {
    if (!response.result()) throw response.result().error();
    return *response.result();
  }

  using TaskAwaiter = decltype(std::declval<const platform::Task<Response>&>().operator co_await());

  // Awaits the task; with automatic cancelling, the awaiting task's
  // cancellation cancels it meanwhile.
  template <class Transform>
  struct Awaiter {
    platform::Task<Response> task;
    bool automaticallyCancelling;
    Transform transform;
    TaskAwaiter awaiter;
    std::shared_ptr<platform::TaskCancellation> awaitingCancellation = nullptr;
    std::optional<platform::TaskCancellation::HandlerID> handlerID = std::nullopt;

    bool await_ready() const { return awaiter.await_ready(); }
    template <class Promise>
    bool await_suspend(std::coroutine_handle<Promise> handle) {
      if (automaticallyCancelling && (awaitingCancellation = platform::cancellationOf(handle))) {
        handlerID = awaitingCancellation->addHandler([task = task] { task.cancel(); });
      }
      return awaiter.await_suspend(handle);
    }
    auto await_resume() {
      if (handlerID) awaitingCancellation->removeHandler(*handlerID);
      return transform(awaiter.await_resume());
    }
  };

  template <class Transform>
  Awaiter<Transform> awaiting(Transform transform) const {
    return Awaiter<Transform>{task_, shouldAutomaticallyCancel_, std::move(transform), task_.operator co_await()};
  }

  std::shared_ptr<RequestKind> request_;
  platform::Task<Response> task_;
  bool shouldAutomaticallyCancel_;
};

template <class Value>
using DataTask = ResponseTask<DataRequest, DataResponse<Value>>;
template <class Value>
using DownloadTask = ResponseTask<DownloadRequest, DownloadResponse<Value>>;

}  // namespace wendanet
