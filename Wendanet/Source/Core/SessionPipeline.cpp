#include <typeinfo>

#include "Platform/Fatal.h"
#include "Wendanet/Source/Core/Session.h"
#include "Wendanet/Source/Core/WNErrorCasts.h"
#include "Wendanet/Source/Support/TypeName.h"
#include "Wendanet/Source/Support/URLRequestExtensions.h"

// The road of a request through its session: its value becomes a URL
// request on the request queue, is validated and adapted, and becomes a URL
// task on the root queue, mapped to the request and brought into line with
// its state. Every event reaches the request on the root queue, as a block
// of its own.

namespace wendanet {

void Session::onRootQueue(const std::shared_ptr<Request>& request, std::move_only_function<void(Request&)> event) {
  rootQueue_->async([request, event = std::move(event)]() mutable { event(*request); });
}

void Session::perform(const std::shared_ptr<Request>& request) {
  rootQueue_->async([self = shared_from_this(), request] {
    if (request->isCancelled()) return;
    self->activeRequests_.insert(request);
    self->requestQueue_->async([self, request] { self->performByKind(request); });
  });
}

void Session::performByKind(const std::shared_ptr<Request>& request) {
  const std::type_info& kind = typeid(*request);
  const auto always = [] { return true; };
  if (kind == typeid(UploadRequest)) {
    const auto upload = std::static_pointer_cast<UploadRequest>(request);
    performSetupOperations(request, upload->convertible(),
                           [self = shared_from_this(), upload] { return self->prepareUploadable(upload); });
  } else if (const auto data = std::dynamic_pointer_cast<DataRequest>(request)) {
    performSetupOperations(request, data->convertible(), always);
  } else if (kind == typeid(DownloadRequest)) {
    performDownloadRequest(std::static_pointer_cast<DownloadRequest>(request));
  } else if (kind == typeid(DataStreamRequest)) {
    performSetupOperations(request, std::static_pointer_cast<DataStreamRequest>(request)->convertible(), always);
  } else if (kind == typeid(WebSocketRequest)) {
    performSetupOperations(request, std::static_pointer_cast<WebSocketRequest>(request)->convertible(), always);
  } else {
    platform::fatal("Attempted to perform unsupported Request subclass: " + unqualifiedTypeName(kind));
  }
}

void Session::performDownloadRequest(const std::shared_ptr<DownloadRequest>& request) {
  platform::dispatchPrecondition(*requestQueue_);
  const auto& downloadable = request->downloadable().value();
  if (const auto* resumeData = std::get_if<DownloadRequest::Downloadable::ResumeData>(&downloadable)) {
    rootQueue_->async([self = shared_from_this(), data = resumeData->data, request] {
      self->didReceiveResumeData(data, request);
    });
    return;
  }
  performSetupOperations(request, std::get<DownloadRequest::Downloadable::Request>(downloadable).convertible,
                         [] { return true; });
}

void Session::performSetupOperations(const std::shared_ptr<Request>& request, const ConvertibleRef& convertible,
                                     TaskCheck check) {
  platform::dispatchPrecondition(*requestQueue_);
  platform::URLRequest initialRequest;
  try {
    initialRequest = convertible->asURLRequest();
    validate(initialRequest);
  } catch (const platform::Error& error) {
    const auto failure =
        castToWNErrorOrDefault(error, [&] { return WNError::createURLRequestFailed(error.clone()); });
    onRootQueue(request, [failure](Request& failed) { failed.didFailToCreateURLRequest(failure); });
    return;
  }
  onRootQueue(request, [initialRequest](Request& created) { created.didCreateInitialURLRequest(initialRequest); });
  if (request->isCancelled()) return;

  const auto adapter = this->adapter(request);
  if (!adapter) {
    if (!check()) return;
    rootQueue_->async([self = shared_from_this(), initialRequest = std::move(initialRequest), request] {
      self->didCreateURLRequest(initialRequest, request);
    });
    return;
  }
  adapter->adaptWithState(
      initialRequest, RequestAdapterState{request->id(), shared_from_this()},
      [self = shared_from_this(), request, initialRequest, check = std::move(check)](AdaptResult result) {
        self->handleAdaptationResult(std::move(result), request, initialRequest, check);
      });
}

void Session::handleAdaptationResult(AdaptResult result, const std::shared_ptr<Request>& request,
                                     const platform::URLRequest& initialRequest, const TaskCheck& check) {
  platform::AnyError failure = result ? nullptr : result.error();
  if (result) {
    try {
      validate(*result);
    } catch (const platform::Error& error) {
      failure = error.clone();
    }
  }
  if (failure || !result) {
    const auto error = WNError::requestAdaptationFailed(std::move(failure));
    onRootQueue(request, [initialRequest, error](Request& failed) { failed.didFailToAdaptURLRequest(initialRequest, error); });
    return;
  }
  platform::URLRequest adaptedRequest = *std::move(result);
  onRootQueue(request, [initialRequest, adaptedRequest](Request& adapted) {
    adapted.didAdaptInitialRequest(initialRequest, adaptedRequest);
  });
  if (!check()) return;
  rootQueue_->async([self = shared_from_this(), adaptedRequest = std::move(adaptedRequest), request] {
    self->didCreateURLRequest(adaptedRequest, request);
  });
}

bool Session::prepareUploadable(const std::shared_ptr<UploadRequest>& request) {
  try {
    auto uploadable = request->upload()->createUploadable();
    rootQueue_->async([request, uploadable = std::move(uploadable)]() mutable {
      request->didCreateUploadable(std::move(uploadable));
    });
    return true;
  } catch (const platform::Error& error) {
    const auto failure =
        castToWNErrorOrDefault(error, [&] { return WNError::createUploadableFailed(error.clone()); });
    rootQueue_->async([request, failure] { request->didFailToCreateUploadable(failure); });
    return false;
  }
}

void Session::didCreateURLRequest(const platform::URLRequest& urlRequest, const std::shared_ptr<Request>& request) {
  platform::dispatchPrecondition(*rootQueue_);
  request->didCreateURLRequest(urlRequest);
  if (request->isCancelled()) return;
  adoptTask(request->createTask(urlRequest, session_), request);
}

void Session::didReceiveResumeData(const platform::Data& resumeData, const std::shared_ptr<DownloadRequest>& request) {
  platform::dispatchPrecondition(*rootQueue_);
  if (request->isCancelled()) return;
  adoptTask(request->createTaskWithResumeData(resumeData, session_), request);
}

void Session::adoptTask(const std::shared_ptr<platform::URLSessionTask>& task, const std::shared_ptr<Request>& request) {
  requestTaskMap_.setTaskForRequest(request, task);
  request->didCreateTask(task);
  // A URL session its owner invalidated makes tasks that never run and never
  // report back: the request would wait for ever.
  if (session_->isInvalidated()) return request->finish(WNError::sessionInvalidated());
  updateStatesForTask(task, request);
}

void Session::updateStatesForTask(const std::shared_ptr<platform::URLSessionTask>& task,
                                  const std::shared_ptr<Request>& request) {
  platform::dispatchPrecondition(*rootQueue_);
  request->withStateLocked([&](Request::State state) {
    switch (state) {
      case Request::State::resumed:
        task->resume();
        onRootQueue(request, [task](Request& resumed) { resumed.didResumeTask(task); });
        break;
      case Request::State::suspended:
        task->suspend();
        onRootQueue(request, [task](Request& suspended) { suspended.didSuspendTask(task); });
        break;
      case Request::State::cancelled:
        task->resume();
        task->cancel();
        onRootQueue(request, [task](Request& cancelled) { cancelled.didCancelTask(task); });
        break;
      case Request::State::initialized:
      case Request::State::finished:
        break;
    }
  });
}

}  // namespace wendanet
