#pragma once

#include <string>

#include "Wendalore/Model/RequestHistoryItem.h"

namespace wendalore {

// A curl command line that repeats the send: method, headers by name, the
// body when it went out, the URL. One option per line, continued with " \".
// Safe to paste into a shell, interactive or not: each argument reads back
// exactly as recorded, and a body no argument can carry goes in on curl's
// standard input.
std::string curlCommand(const RequestHistoryItem& item);

}  // namespace wendalore
