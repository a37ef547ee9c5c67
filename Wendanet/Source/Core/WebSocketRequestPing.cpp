#include <chrono>
#include <utility>

#include "Platform/Foundation/ProcessInfo.h"
#include "Wendanet/Source/Core/WebSocketRequest.h"

namespace wendanet {

namespace {

double uptime() { return platform::ProcessInfo::processInfo().systemUptime(); }

void answer(const std::shared_ptr<platform::DispatchQueue>& queue, WebSocketRequest::PingHandler handler,
            WebSocketRequest::PingResponse response) {
  queue->async([handler = std::move(handler), response = std::move(response)] { handler(response); });
}

}  // namespace

void WebSocketRequest::sendPing(std::shared_ptr<platform::DispatchQueue> queue, PingHandler handler) {
  if (!isResumed()) return answer(queue, std::move(handler), Unsent{});
  const auto start = platform::Date::now();
  const double startUptime = uptime();
  const auto task = std::dynamic_pointer_cast<platform::URLSessionWebSocketTask>(lastTask());
  // Without a connection to ask there will be no pong; say so rather than
  // leave the caller waiting.
  if (!task) return answer(queue, std::move(handler), Unsent{});
  task->sendPing([queue = std::move(queue), handler = std::move(handler), start,
                  startUptime](const platform::AnyError& error) mutable {
    if (error) return answer(queue, std::move(handler), PingFailed{error});
    const auto end = platform::Date::now();
    answer(queue, std::move(handler), Pong{start, end, uptime() - startUptime});
  });
}

void WebSocketRequest::startAutomaticPing(SocketMutableState& state, double interval) {
  // A replaced item is cancelled too, so that no second chain of pings runs
  // beside this one.
  if (state.pingTimerItem) state.pingTimerItem->cancel();
  state.pingTimerItem = nullptr;
  if (!isResumed()) return;
  state.pingTimerItem = platform::DispatchWorkItem::make(
      [request = weakSelf(), interval] { automaticPingTick(request, interval); });
  const auto delay = std::chrono::duration_cast<platform::DispatchQueue::Clock::duration>(
      std::chrono::duration<double>(interval));
  underlyingQueue()->asyncAfter(platform::DispatchQueue::Clock::now() + delay, state.pingTimerItem);
}

void WebSocketRequest::cancelAutomaticPing() {
  socketMutableState_.write([](SocketMutableState& state) {
    if (state.pingTimerItem) state.pingTimerItem->cancel();
    state.pingTimerItem = nullptr;
  });
}

void WebSocketRequest::automaticPingTick(const std::weak_ptr<WebSocketRequest>& request, double interval) {
  const auto self = request.lock();
  if (!self || !self->isResumed()) return;
  self->sendPing(self->underlyingQueue(),
                 [self, interval](const PingResponse& response) { self->didReceiveAutomaticPong(response, interval); });
}

void WebSocketRequest::didReceiveAutomaticPong(const PingResponse& response, double interval) {
  if (!std::holds_alternative<Pong>(response)) return;
  socketMutableState_.write([&](SocketMutableState& state) { startAutomaticPing(state, interval); });
}

}  // namespace wendanet
