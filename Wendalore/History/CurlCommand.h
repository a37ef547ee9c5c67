#pragma once

#include <string>

#include "Wendalore/Model/RequestHistoryItem.h"

namespace wendalore {

// A curl command line that repeats the send: method, headers by name, the
// body when it went out, the URL; curl sends the method and the length that
// went out. One option per line, continued with " \".
// sh, bash and zsh read each argument back exactly as recorded, from a
// script, a pipe or a paste into an interactive shell, and run nothing else;
// a body no argument can carry goes in on curl's standard input.
std::string curlCommand(const RequestHistoryItem& item);

}  // namespace wendalore
