#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <type_traits>
#include <utility>

#include "Platform/Dispatch/DispatchQueue.h"
#include "Wendanet/Source/Async/StreamOf.h"
#include "Wendanet/Source/Async/StreamQueues.h"
#include "Wendanet/Source/Core/Request.h"

namespace wendanet::detail {

// A stream over a request's handler of `Event`s. Each iteration registers,
// through `registerHandler`, a handler on a new stream completion queue
// that yields what `transform` makes of each event and finishes the stream
// after the last event. When the iteration ends early and
// `automaticallyCancelling` is set, a request that is neither finished nor
// cancelled is cancelled (by its kind's own cancel).
template <class Element, class Event, class RequestKind>
StreamOf<Element> makeRequestStream(
    std::shared_ptr<RequestKind> request, bool automaticallyCancelling,
    platform::StreamBufferingPolicy bufferingPolicy,
    std::type_identity_t<std::function<void(RequestKind&, std::shared_ptr<platform::DispatchQueue>,
                                            std::function<void(const Event&)>)>>
        registerHandler,
    std::function<std::optional<Element>(const Event&)> transform, std::function<bool(const Event&)> isLast) {
  auto onTermination = [request, automaticallyCancelling] {
    if (!automaticallyCancelling) return;
    const auto state = request->state();
    if (state != Request::State::cancelled && state != Request::State::finished) request->cancel();
  };
  auto builder = [request, registerHandler = std::move(registerHandler), transform = std::move(transform),
                  isLast = std::move(isLast)](typename StreamOf<Element>::Continuation continuation) {
    registerHandler(*request, streamCompletionQueue(request->id()),
                    [continuation, transform, isLast](const Event& event) {
                      if (auto element = transform(event)) continuation.yield(std::move(*element));
                      if (isLast(event)) continuation.finish();
                    });
  };
  return StreamOf<Element>(bufferingPolicy, std::move(onTermination), std::move(builder));
}

}  // namespace wendanet::detail
