#include "Wendanet/Source/Async/DataStreamPublisher.h"

namespace wendanet {

namespace {

// `Value` chunks from a handler that cannot fail, registered by
// `registerHandler`.
template <class Value, class RegisterHandler>
DataStreamPublisher<Value> widenedPublisher(const std::shared_ptr<DataStreamRequest>& request,
                                            std::shared_ptr<platform::DispatchQueue> queue,
                                            RegisterHandler registerHandler) {
  using Publisher = DataStreamPublisher<Value>;
  return Publisher(request, [request, queue = std::move(queue),
                             registerHandler](typename Publisher::Subscription::Deliver deliver) {
    registerHandler(*request, queue, [deliver = std::move(deliver)](const DataStreamRequest::Stream<Value, Never>& stream) {
      deliver(detail::widened(stream));
    });
    return request;
  });
}

}  // namespace

DataStreamPublisher<platform::Data> dataPublisher(const std::shared_ptr<DataStreamRequest>& request,
                                                  std::shared_ptr<platform::DispatchQueue> queue) {
  return widenedPublisher<platform::Data>(request, std::move(queue), [](DataStreamRequest& request, auto queue,
                                                                        auto handler) {
    request.responseStream(std::move(queue), std::move(handler));
  });
}

DataStreamPublisher<std::string> stringPublisher(const std::shared_ptr<DataStreamRequest>& request,
                                                 std::shared_ptr<platform::DispatchQueue> queue) {
  return widenedPublisher<std::string>(request, std::move(queue), [](DataStreamRequest& request, auto queue,
                                                                     auto handler) {
    request.responseStreamString(std::move(queue), std::move(handler));
  });
}

}  // namespace wendanet
