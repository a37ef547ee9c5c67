// The WebSocket handshake: the first line is the URL a person typed, the
// second the sub-protocols offered, the rest the server's answer, whose
// chosen sub-protocol must be one offered.

#include <string>

#include "Platform/Foundation/URL.h"
#include "Platform/URLLoading/Engine/ResponseHeaderParser.h"
#include "Platform/URLLoading/Engine/WebSocketHandshake.h"
#include "fuzz/FuzzCheck.h"

using namespace platform;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto input = fuzz::text(data, size);
  const auto lines = fuzz::pieces(input, '\n');
  if (lines.size() < 2) return 0;
  if (const auto endpoint = webSocketEndpoint(URL::string(lines[0]))) {
    fuzz::require(!endpoint->host.empty() && endpoint->port != 0, "an endpoint without a host or port");
    fuzz::require(endpoint->hostField.find_first_of("\r\n") == std::string::npos, "a Host field with a line break");
    fuzz::require(endpoint->target.find_first_of("\r\n ") == std::string::npos, "a request target that splits the line");
  }
  const auto offered = lines[1];
  ResponseHeaderParser parser;
  for (std::size_t index = 2; index < lines.size(); ++index) {
    if (parser.feed(std::string(lines[index]) + "\n") != ResponseHeaderParser::Outcome::needMore) break;
  }
  if (const auto chosen = valueOfHeaderField(parser.fields(), "Sec-WebSocket-Protocol")) {
    if (offersSubprotocol(offered, *chosen)) {
      fuzz::require(offered.find(*chosen) != std::string_view::npos, "a sub-protocol taken that was never offered");
    }
  }
  return 0;
}
