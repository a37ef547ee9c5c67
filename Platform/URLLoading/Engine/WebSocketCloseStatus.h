#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "Platform/Foundation/Data.h"
#include "Platform/URLLoading/URLSessionWebSocketCloseCode.h"

namespace platform {

// The close code a received close frame stands for: one of the listed
// codes, `noStatusReceived` for a frame without a status, `invalid` for any
// other number.
URLSessionWebSocketCloseCode closeCodeForStatus(std::optional<std::uint16_t> status);

// The status a close frame goes out with: the code's number, or none for
// the codes that only describe how a connection ended and must never be
// sent (`invalid`, 1005, 1006 and 1015).
std::optional<std::uint16_t> statusForCloseCode(URLSessionWebSocketCloseCode code);

// The reason a close frame can carry: at most 123 bytes, cut before a
// UTF-8 sequence that would not fit whole.
std::string closeReasonForFrame(const std::optional<Data>& reason);

}  // namespace platform
