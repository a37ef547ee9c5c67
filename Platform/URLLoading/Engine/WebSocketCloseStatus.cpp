#include "Platform/URLLoading/Engine/WebSocketCloseStatus.h"

#include <algorithm>

namespace platform {

namespace {

constexpr std::size_t longestReason = 123;

bool isContinuationByte(std::uint8_t byte) { return (byte & 0xC0) == 0x80; }

}  // namespace

URLSessionWebSocketCloseCode closeCodeForStatus(std::optional<std::uint16_t> status) {
  using Code = URLSessionWebSocketCloseCode;
  if (!status) return Code::noStatusReceived;
  switch (*status) {
    case 1000:
    case 1001:
    case 1002:
    case 1003:
    case 1005:
    case 1006:
    case 1007:
    case 1008:
    case 1009:
    case 1010:
    case 1011:
    case 1015: return static_cast<Code>(*status);
    default: return Code::invalid;
  }
}

std::optional<std::uint16_t> statusForCloseCode(URLSessionWebSocketCloseCode code) {
  using Code = URLSessionWebSocketCloseCode;
  switch (code) {
    case Code::invalid:
    case Code::noStatusReceived:
    case Code::abnormalClosure:
    case Code::tlsHandshakeFailure: return std::nullopt;
    default: return static_cast<std::uint16_t>(code);
  }
}

std::string closeReasonForFrame(const std::optional<Data>& reason) {
  if (!reason) return {};
  std::size_t length = std::min(reason->size(), longestReason);
  if (length < reason->size()) {
    // The byte after the cut continues a sequence: drop its start too.
    while (length > 0 && isContinuationByte((*reason)[length])) --length;
  }
  return std::string(reason->view().substr(0, length));
}

}  // namespace platform
