// WWW-Authenticate field values, one a line, as a server sends them.

#include "Platform/URLLoading/Engine/HTTPAuthenticationChallenge.h"
#include "fuzz/FuzzCheck.h"

using platform::HTTPAuthenticationChallenge;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  platform::HTTPHeaderFields fields;
  std::size_t parsed = 0;
  for (const auto line : fuzz::pieces(fuzz::text(data, size), '\n')) {
    const auto challenges = HTTPAuthenticationChallenge::parse(line);
    for (const auto& challenge : challenges) {
      fuzz::require(!challenge.scheme.empty(), "a challenge without a scheme");
      for (const auto& [name, value] : challenge.parameters) {
        fuzz::require(challenge.parameter(name) == value, "a parameter cannot be looked up by its own name");
      }
    }
    parsed += challenges.size();
    fields.emplace_back("WWW-Authenticate", std::string(line));
  }
  fuzz::require(HTTPAuthenticationChallenge::challengesInFields(fields).size() == parsed,
                "the fields give other challenges than their values");
  return 0;
}
