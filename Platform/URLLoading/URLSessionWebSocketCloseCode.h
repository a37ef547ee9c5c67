#pragma once

namespace platform {

// Why a WebSocket connection closed, with the protocol's numbers; `invalid`
// stands for any number outside this list.
enum class URLSessionWebSocketCloseCode : int {
  invalid = 0,
  normalClosure = 1000,
  goingAway = 1001,
  protocolError = 1002,
  unsupportedData = 1003,
  noStatusReceived = 1005,
  abnormalClosure = 1006,
  invalidFramePayloadData = 1007,
  policyViolation = 1008,
  messageTooBig = 1009,
  mandatoryExtensionMissing = 1010,
  internalServerError = 1011,
  tlsHandshakeFailure = 1015,
};

}  // namespace platform
