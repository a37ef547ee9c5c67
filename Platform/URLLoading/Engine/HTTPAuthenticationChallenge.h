#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Platform/Foundation/HTTPHeaderFields.h"

namespace platform {

// One challenge of a WWW-Authenticate field: a scheme and its parameters.
struct HTTPAuthenticationChallenge {
  // As the server wrote it.
  std::string scheme;
  // Names in lower case, values unquoted.
  std::map<std::string, std::string> parameters;

  std::optional<std::string> parameter(const std::string& name) const;

  // Every challenge in the WWW-Authenticate fields among `fields`, in
  // order; a field may hold several, separated by commas. What cannot be
  // read is skipped.
  static std::vector<HTTPAuthenticationChallenge> challengesInFields(const HTTPHeaderFields& fields);
  static std::vector<HTTPAuthenticationChallenge> parse(std::string_view fieldValue);

  friend bool operator==(const HTTPAuthenticationChallenge&, const HTTPAuthenticationChallenge&) = default;
};

}  // namespace platform
