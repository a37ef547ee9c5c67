#pragma once

#include <concepts>
#include <expected>
#include <memory>
#include <string>
#include <utility>
#include <variant>

#include "Platform/Coding/Codable.h"
#include "Platform/Coding/JSONDecoder.h"
#include "Platform/Foundation/Error.h"
#include "Platform/URLLoading/URLSessionWebSocketTask.h"
#include "Wendanet/Source/Support/DataDecoder.h"

namespace wendanet {

// Turns one received WebSocket message into a value, or fails with its own
// error type.
template <class Serializer>
concept WebSocketMessageSerializer =
    std::derived_from<typename Serializer::Failure, platform::Error> &&
    requires(const Serializer& serializer, const platform::URLSessionWebSocketTask::Message& message) {
      {
        serializer.decode(message)
        } -> std::same_as<std::expected<typename Serializer::Output, typename Serializer::Failure>>;
    };

// A message's bytes could not be decoded; carries the decoder's error.
class WebSocketMessageDecodingError final : public platform::ErrorBase<WebSocketMessageDecodingError> {
 public:
  explicit WebSocketMessageDecodingError(platform::AnyError decodingError) : decodingError_(std::move(decodingError)) {}

  const platform::AnyError& decodingError() const { return decodingError_; }
  std::string description() const override {
    return "WebSocket message could not be decoded: " + decodingError_->localizedDescription();
  }

 private:
  platform::AnyError decodingError_;
};

// A new JSON decoder with default settings.
inline std::shared_ptr<const DataDecoder> makeDefaultDataDecoder() { return std::make_shared<JSONDataDecoder>(); }

// Decodes a T from the bytes of a data message, or from the UTF-8 bytes of
// a text message. Keeps nothing between messages.
template <platform::Decodable T>
class DecodableWebSocketMessageDecoder {
 public:
  using Output = T;
  using Error = WebSocketMessageDecodingError;
  using Failure = Error;

  explicit DecodableWebSocketMessageDecoder(platform::JSONDecoder decoder)
      : decoder_(std::make_shared<JSONDataDecoder>(std::move(decoder))) {}
  explicit DecodableWebSocketMessageDecoder(std::shared_ptr<const DataDecoder> decoder = makeDefaultDataDecoder())
      : decoder_(std::move(decoder)) {}

  const std::shared_ptr<const DataDecoder>& decoder() const { return decoder_; }

  std::expected<T, Error> decode(const platform::URLSessionWebSocketTask::Message& message) const {
    const auto bytes = std::visit(
        [](const auto& content) -> platform::Data {
          if constexpr (std::is_same_v<std::decay_t<decltype(content)>, platform::Data>) {
            return content;
          } else {
            return platform::Data(content);
          }
        },
        message);
    try {
      return decoder_->template decode<T>(bytes);
    } catch (const platform::Error& failure) {
      return std::unexpected(Error(failure.clone()));
    }
  }

 private:
  std::shared_ptr<const DataDecoder> decoder_;
};

}  // namespace wendanet
