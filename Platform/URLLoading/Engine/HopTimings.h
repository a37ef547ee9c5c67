#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "Platform/Foundation/Date.h"
#include "Platform/URLLoading/URLSessionTaskTransactionMetrics.h"

namespace platform {

// When the phases of one hop ended, as the transfer library measures them
// (microseconds after it was handed the hop, 0 for a phase never reached),
// with what the engine measured itself.
struct HopTimings {
  // When the hop was asked for.
  Date fetchStart;
  // When the library was handed the hop, after any wait for a place on a
  // connection; absent when it never was.
  std::optional<Date> handedOver;
  std::int64_t nameLookup = 0;
  std::int64_t connect = 0;
  std::int64_t secureConnect = 0;
  std::int64_t preTransfer = 0;
  std::int64_t total = 0;
  // When the last request byte was handed to the library.
  std::optional<Date> requestEnd;
  // When the first line of the final response came back. The library's own
  // start-of-transfer time marks the end of the upload for a request with a
  // body, so the engine keeps this itself.
  std::optional<Date> responseStart;
  // False when the hop went out on a connection already open.
  bool newConnection = false;
  // The URL named the server by its address, so nothing was looked up.
  bool hostIsAddress = false;
  bool secure = false;
  // The whole response was read.
  bool responseComplete = false;
};

// Fills the transaction's dates. The time a hop waited for a place shows
// between its fetch start and its first phase. A reused connection has no
// lookup, connect or secure-connection dates, a host given as an address no
// lookup dates; connecting ends after the secure handshake. The dates never
// run backwards from one phase to the next.
void applyHopTimings(const HopTimings& timings, URLSessionTaskTransactionMetrics& transaction);

// "http/1.1" and the like for the library's HTTP version number; absent
// for none.
std::optional<std::string> networkProtocolName(long httpVersion);

}  // namespace platform
