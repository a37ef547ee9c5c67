#pragma once

#include <memory>
#include <string>

#include "Wendanet/Source/Core/Request.h"

namespace wendanet {

// The controls every request has, answering with the request's own kind, so
// that a chain goes on with the kind's controls in whatever order the caller
// writes them: `upload->validate().setUploadProgressHandler(q, h).responseData(...)`.
template <class Kind, class Base = Request>
class ChainedRequest : public Base {
 public:
  Kind& suspend() { return chained(Base::suspend()); }
  Kind& resume() { return chained(Base::resume()); }

  Kind& setUploadProgressHandler(std::shared_ptr<platform::DispatchQueue> queue, Request::ProgressHandler handler) {
    return chained(Base::setUploadProgressHandler(std::move(queue), std::move(handler)));
  }
  Kind& setDownloadProgressHandler(std::shared_ptr<platform::DispatchQueue> queue, Request::ProgressHandler handler) {
    return chained(Base::setDownloadProgressHandler(std::move(queue), std::move(handler)));
  }
  Kind& authenticateWithUsername(std::string username, std::string password,
                                 platform::URLCredential::Persistence persistence) {
    return chained(Base::authenticateWithUsername(std::move(username), std::move(password), persistence));
  }
  Kind& authenticateWithCredential(platform::URLCredential credential) {
    return chained(Base::authenticateWithCredential(std::move(credential)));
  }
  Kind& setRedirectHandler(std::shared_ptr<RedirectHandler> handler) {
    return chained(Base::setRedirectHandler(std::move(handler)));
  }
  Kind& setCachedResponseHandler(std::shared_ptr<CachedResponseHandler> handler) {
    return chained(Base::setCachedResponseHandler(std::move(handler)));
  }
  Kind& cURLDescriptionOnQueue(std::shared_ptr<platform::DispatchQueue> queue, Request::CURLHandler handler) {
    return chained(Base::cURLDescriptionOnQueue(std::move(queue), std::move(handler)));
  }
  Kind& cURLDescription(Request::CURLHandler handler) { return chained(Base::cURLDescription(std::move(handler))); }
  Kind& onURLRequestCreation(std::shared_ptr<platform::DispatchQueue> queue, Request::URLRequestHandler handler) {
    return chained(Base::onURLRequestCreation(std::move(queue), std::move(handler)));
  }
  Kind& onURLSessionTaskCreation(std::shared_ptr<platform::DispatchQueue> queue,
                                 Request::URLSessionTaskHandler handler) {
    return chained(Base::onURLSessionTaskCreation(std::move(queue), std::move(handler)));
  }
  Kind& addInterceptor(std::shared_ptr<RequestInterceptor> interceptor) {
    return chained(Base::addInterceptor(std::move(interceptor)));
  }
  Kind& addAdapter(std::shared_ptr<RequestAdapter> adapter) { return chained(Base::addAdapter(std::move(adapter))); }
  Kind& addRetrier(std::shared_ptr<RequestRetrier> retrier) { return chained(Base::addRetrier(std::move(retrier))); }
  Kind& addEventMonitors(std::shared_ptr<EventMonitor> monitor) {
    return chained(Base::addEventMonitors(std::move(monitor)));
  }

 protected:
  using Base::Base;

 private:
  // Every control answers with the request it was called on.
  Kind& chained(Request&) { return static_cast<Kind&>(*this); }
};

}  // namespace wendanet
