#pragma once

#include <string>
#include <string_view>

namespace platform {

// A header field as one line in the form that both the transfer library and
// the curl tool's "-H" take. Both leave out a field written "Name:" with
// nothing but spaces and tabs after it, so a blank value is written
// "Name;", which they send as the field with an empty value.
std::string curlHeaderLine(std::string_view name, std::string_view value);

}  // namespace platform
