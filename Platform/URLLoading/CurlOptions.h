#pragma once

#include <string>
#include <string_view>

namespace platform {

// Options of a curl command line, each as one text that sh, bash and zsh
// hand curl exactly (see quotedShellWord).

// "-X" and the method; HEAD is curl's own head option, as with "-X HEAD"
// curl waits for a body that a HEAD response never has.
std::string curlMethodOption(std::string_view method);

// "-H" and the field as curl sends it, an empty or blank value included.
std::string curlHeaderOption(std::string_view name, std::string_view value);

}  // namespace platform
