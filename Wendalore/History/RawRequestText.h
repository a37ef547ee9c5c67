#pragma once

#include <string>

#include "Wendalore/Model/RequestHistoryItem.h"

namespace wendalore {

// The send as an HTTP/1.1 request message built from its record: request
// line, the recorded headers as they went out ascending by name (with a
// Host header unless one was given), an empty line, and the body when it
// went out. Headers the send added on its way out are not in the record and
// not shown. Lines end in a line feed.
std::string rawRequestText(const RequestHistoryItem& item);

}  // namespace wendalore
