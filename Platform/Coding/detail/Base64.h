#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "Platform/Foundation/Data.h"

// Internal to the coding layer: standard Base64 (RFC 4648 alphabet, "="
// padding, no line breaks) for the data strategies of the JSON coders.
namespace platform::detail {

std::string base64Encoded(const Data& data);

// Strict: the length must be a multiple of four, padding only at the end and
// no character outside the alphabet. Absent when the text breaks any of that.
std::optional<Data> base64Decoded(std::string_view text);

}  // namespace platform::detail
