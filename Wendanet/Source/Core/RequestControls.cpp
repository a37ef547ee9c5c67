#include <string>
#include <utility>

#include "Platform/Fatal.h"
#include "Wendanet/Source/Support/CompositeEventMonitor.h"
#include "Wendanet/Source/Support/Interceptor.h"
#include "Wendanet/Source/Core/Request.h"
#include "Wendanet/Source/Support/CURLCommand.h"

namespace wendanet {

namespace {

// The task a control acts on: the last one, unless it has completed.
std::shared_ptr<platform::URLSessionTask> activeTask(
    const std::vector<std::shared_ptr<platform::URLSessionTask>>& tasks) {
  if (tasks.empty() || tasks.back()->state() == platform::URLSessionTask::State::completed) return nullptr;
  return tasks.back();
}

template <class Element, class Added>
std::vector<Element> appended(std::vector<Element> elements, Added added) {
  elements.push_back(std::move(added));
  return elements;
}

}  // namespace

// State controls. The task is told under the lock, so that its state always
// follows the request's last transition.

Request& Request::cancel() {
  mutableState_.write([&](MutableState& state) {
    if (state.state >= State::cancelled) return;
    state.state = State::cancelled;
    enqueue([](Request& self) { self.didCancel(); });
    if (const auto task = activeTask(state.tasks)) {
      task->resume();
      task->cancel();
      enqueue([task](Request& self) { self.didCancelTask(task); });
    } else {
      enqueue([](Request& self) { self.finish(); });
    }
  });
  return *this;
}

Request& Request::suspend() {
  mutableState_.write([&](MutableState& state) {
    if (state.state != State::initialized && state.state != State::resumed) return;
    state.state = State::suspended;
    enqueue([](Request& self) { self.didSuspend(); });
    if (const auto task = activeTask(state.tasks)) {
      task->suspend();
      enqueue([task](Request& self) { self.didSuspendTask(task); });
    }
  });
  return *this;
}

Request& Request::resume() {
  resumeAndStartIfNeeded();
  return *this;
}

void Request::resumeAndStartIfNeeded() {
  const bool resumed = mutableState_.write([&](MutableState& state) {
    if (state.state != State::initialized && state.state != State::suspended) return false;
    state.state = State::resumed;
    enqueue([](Request& self) { self.didResume(); });
    if (const auto task = activeTask(state.tasks)) {
      task->resume();
      enqueue([task](Request& self) { self.didResumeTask(task); });
    }
    return true;
  });
  if (!resumed) return;
  if (const auto delegate = this->delegate()) delegate->startRequestIfNeeded(shared_from_this());
}

// Progress, credentials, redirect and cache handlers.

Request& Request::setUploadProgressHandler(std::shared_ptr<platform::DispatchQueue> queue, ProgressHandler handler) {
  mutableState_.write([&](MutableState& state) {
    state.uploadProgressHandler = QueuedHandler<ProgressHandler>{std::move(queue), std::move(handler)};
  });
  return *this;
}

Request& Request::setDownloadProgressHandler(std::shared_ptr<platform::DispatchQueue> queue, ProgressHandler handler) {
  mutableState_.write([&](MutableState& state) {
    state.downloadProgressHandler = QueuedHandler<ProgressHandler>{std::move(queue), std::move(handler)};
  });
  return *this;
}

Request& Request::authenticateWithUsername(std::string username, std::string password,
                                           platform::URLCredential::Persistence persistence) {
  return authenticateWithCredential(platform::URLCredential{.user = std::move(username),
                                                            .password = std::move(password),
                                                            .persistence = persistence,
                                                            .serverTrust = nullptr});
}

Request& Request::authenticateWithCredential(platform::URLCredential credential) {
  mutableState_.write([&](MutableState& state) { state.credential = std::move(credential); });
  return *this;
}

Request& Request::setRedirectHandler(std::shared_ptr<RedirectHandler> handler) {
  const bool refused = mutableState_.write([&](MutableState& state) {
    if (state.redirectHandler) return true;
    state.redirectHandler = std::move(handler);
    return false;
  });
  if (refused) platform::fatal("The request already has a redirect handler.");
  return *this;
}

Request& Request::setCachedResponseHandler(std::shared_ptr<CachedResponseHandler> handler) {
  const bool refused = mutableState_.write([&](MutableState& state) {
    if (state.cachedResponseHandler) return true;
    state.cachedResponseHandler = std::move(handler);
    return false;
  });
  if (refused) platform::fatal("The request already has a cached response handler.");
  return *this;
}

// Creation hooks.

Request& Request::cURLDescriptionOnQueue(std::shared_ptr<platform::DispatchQueue> queue, CURLHandler handler) {
  mutableState_.write([&](MutableState& state) {
    if (state.requests.empty()) {
      state.cURLHandler = QueuedHandler<CURLHandler>{std::move(queue), std::move(handler)};
      return;
    }
    queue->async([self = shared_from_this(), handler = std::move(handler)] { handler(self->makeCURLCommand()); });
  });
  return *this;
}

Request& Request::cURLDescription(CURLHandler handler) {
  return cURLDescriptionOnQueue(underlyingQueue_, std::move(handler));
}

Request& Request::onURLRequestCreation(std::shared_ptr<platform::DispatchQueue> queue, URLRequestHandler handler) {
  mutableState_.write([&](MutableState& state) {
    if (!state.requests.empty()) queue->async([handler, last = state.requests.back()] { handler(last); });
    state.urlRequestHandler = QueuedHandler<URLRequestHandler>{std::move(queue), std::move(handler)};
  });
  return *this;
}

Request& Request::onURLSessionTaskCreation(std::shared_ptr<platform::DispatchQueue> queue,
                                           URLSessionTaskHandler handler) {
  mutableState_.write([&](MutableState& state) {
    if (!state.tasks.empty()) queue->async([handler, last = state.tasks.back()] { handler(last); });
    state.urlSessionTaskHandler = QueuedHandler<URLSessionTaskHandler>{std::move(queue), std::move(handler)};
  });
  return *this;
}

// Interceptors and monitors. A stored Interceptor is extended; any other
// stored interceptor becomes a member of a new one.

Request& Request::addInterceptor(std::shared_ptr<RequestInterceptor> added) {
  mutableState_.write([&](MutableState& state) {
    const auto& stored = state.interceptor;
    if (!stored) {
      state.interceptor = Interceptor::make({added}, {added}, {});
    } else if (const auto chain = std::dynamic_pointer_cast<Interceptor>(stored)) {
      state.interceptor = Interceptor::make(appended(chain->adapters(), added), appended(chain->retriers(), added), {});
    } else {
      state.interceptor = Interceptor::make({stored, added}, {stored, added}, {});
    }
  });
  return *this;
}

Request& Request::addAdapter(std::shared_ptr<RequestAdapter> added) {
  mutableState_.write([&](MutableState& state) {
    const auto& stored = state.interceptor;
    if (!stored) {
      state.interceptor = Interceptor::make({added}, {}, {});
    } else if (const auto chain = std::dynamic_pointer_cast<Interceptor>(stored)) {
      state.interceptor = Interceptor::make(appended(chain->adapters(), added), chain->retriers(), {});
    } else {
      // The new adapter adapts first; retrying stays with the stored one.
      state.interceptor = Interceptor::make({added, stored}, {stored}, {});
    }
  });
  return *this;
}

Request& Request::addRetrier(std::shared_ptr<RequestRetrier> added) {
  mutableState_.write([&](MutableState& state) {
    const auto& stored = state.interceptor;
    if (!stored) {
      state.interceptor = Interceptor::make({}, {added}, {});
    } else if (const auto chain = std::dynamic_pointer_cast<Interceptor>(stored)) {
      state.interceptor = Interceptor::make(chain->adapters(), appended(chain->retriers(), added), {});
    } else {
      state.interceptor = Interceptor::make({stored}, {added, stored}, {});
    }
  });
  return *this;
}

Request& Request::addEventMonitors(std::shared_ptr<EventMonitor> added) {
  mutableState_.write([&](MutableState& state) {
    const auto& stored = state.eventMonitor;
    if (!stored) {
      state.eventMonitor = CompositeEventMonitor::make(underlyingQueue_, {added});
    } else if (const auto composite = std::dynamic_pointer_cast<CompositeEventMonitor>(stored)) {
      state.eventMonitor = CompositeEventMonitor::make(composite->queue(), appended(composite->monitors(), added));
    } else {
      state.eventMonitor = CompositeEventMonitor::make(underlyingQueue_, {stored, added});
    }
  });
  return *this;
}

// Descriptions.

std::string Request::description() const {
  const auto performed = performedRequests();
  const auto request = performed.empty() ? lastRequest() : performed.back();
  if (!request || !request->url() || !request->httpMethod()) return "No request created yet.";
  std::string text = *request->httpMethod() + " " + request->url()->absoluteString();
  if (const auto response = this->response()) text += " (" + std::to_string(response->statusCode()) + ")";
  return text;
}

std::string Request::makeCURLCommand() const {
  const auto request = lastRequest();
  const auto delegate = this->delegate();
  const auto configuration = delegate ? delegate->sessionConfiguration() : nullptr;
  CURLCommandContext context;
  if (configuration && request && request->url()) {
    context = makeCURLCommandContext(*configuration, *request->url(), credential());
  }
  context.bodyOutsideRequest = sendsBodyOutsideRequest();
  return wendanet::makeCURLCommand(request, context);
}

}  // namespace wendanet
