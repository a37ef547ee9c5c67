#pragma once

#include <string>
#include <type_traits>
#include <variant>

#include "Wendanet/Source/Core/WebSocketRequest.h"
#include "tests/Wendanet/RequestTestDoubles.h"

namespace wendanet::testing {

// "text hello" or "data 3".
inline std::string messageText(const WebSocketRequest::Message& message) {
  if (const auto* text = std::get_if<std::string>(&message)) return "text " + *text;
  return "data " + std::to_string(std::get<platform::Data>(message).size());
}

// One line per event: "connected chat", "message text hi", "failed <error>",
// "disconnected 1000 bye", "completed <error or none>"; absent values are
// "-". `outputText` describes a received value.
template <class Output, class Failure, class OutputText>
std::string eventText(const WebSocketRequest::Event<Output, Failure>& event, const OutputText& outputText) {
  using W = WebSocketRequest;
  return std::visit(
      Overloaded{
          [](const W::Connected& connected) { return "connected " + connected.protocol.value_or("-"); },
          [&](const W::ReceivedMessage<Output>& received) { return "message " + outputText(received.message); },
          [](const W::SerializerFailed<Failure>& failed) -> std::string {
            if constexpr (std::is_same_v<Failure, platform::AnyError>) {
              return "failed " + failed.error->description();
            } else {
              return "impossible";
            }
          },
          [](const W::Disconnected& disconnected) {
            const auto reason = disconnected.reason ? disconnected.reason->toString() : std::string("-");
            return "disconnected " + std::to_string(static_cast<int>(disconnected.closeCode)) + " " + reason;
          },
          [](const W::Completed& completed) { return "completed " + errorText(completed.completion.error); },
      },
      event.kind);
}

inline std::string eventText(const WebSocketRequest::MessageEvent& event) { return eventText(event, messageText); }

}  // namespace wendanet::testing
