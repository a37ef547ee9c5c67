#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

// Header fields as name/value pairs in the order they were set or received.
// Names compare without regard to ASCII letter case; each name occurs once.
using HTTPHeaderField = std::pair<std::string, std::string>;
using HTTPHeaderFields = std::vector<HTTPHeaderField>;

// The position of the field named `name` in any letter case.
std::optional<std::size_t> indexOfHeaderField(const HTTPHeaderFields& fields, std::string_view name);

// The value of the field named `name` in any letter case.
std::optional<std::string> valueOfHeaderField(const HTTPHeaderFields& fields, std::string_view name);

}  // namespace platform
