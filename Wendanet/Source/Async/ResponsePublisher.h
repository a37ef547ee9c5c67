#pragma once

#include <functional>
#include <memory>
#include <utility>

#include "Platform/Combine/AnyPublisher.h"
#include "Wendanet/Source/Async/PublisherSubscription.h"
#include "Wendanet/Source/Async/ResponseKind.h"

namespace wendanet {

// A request whose one serialized response is published: on the first
// demand the response handler is added on the given queue and the request
// resumed; the subscriber then gets the response and `finished`.
// Cancelling the subscription cancels the request (a download without
// resume data). Nothing is registered until a subscriber demands.
template <class RequestKind, class Response>
class ResponsePublisher {
 public:
  using Output = Response;
  using Failure = Never;
  using Value = typename Response::Result::value_type;
  using Result = typename Response::Result;
  using Subscription = detail::PublisherSubscription<RequestKind, Response>;

  ResponsePublisher(std::shared_ptr<RequestKind> request, typename Subscription::Register responseHandler)
      : request_(std::move(request)), responseHandler_(std::move(responseHandler)) {}

  const std::shared_ptr<RequestKind>& request() const { return request_; }

  void receive(std::shared_ptr<platform::Subscriber<Response, Never>> subscriber) const {
    subscriber->receive(std::make_shared<Subscription>(request_, responseHandler_, subscriber,
                                                       [](const Response&) { return true; }));
  }

  platform::AnyPublisher<Response, Never> eraseToAnyPublisher() const {
    return platform::AnyPublisher<Response, Never>::erasing(*this);
  }
  // The response's result.
  platform::AnyPublisher<Result, Never> result() const {
    return eraseToAnyPublisher().map([](const Response& response) { return response.result(); });
  }
  // The value, or a failure that ends the publisher with its WNError.
  platform::AnyPublisher<Value, WNError> value() const {
    return eraseToAnyPublisher().template setFailureType<WNError>().flatMap(
        [](const Response& response) { return platform::resultPublisher(response.result()); });
  }

 private:
  std::shared_ptr<RequestKind> request_;
  typename Subscription::Register responseHandler_;
};

template <class Value>
using DataResponsePublisher = ResponsePublisher<DataRequest, DataResponse<Value>>;
template <class Value>
using DownloadResponsePublisher = ResponsePublisher<DownloadRequest, DownloadResponse<Value>>;

}  // namespace wendanet
