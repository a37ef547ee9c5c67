#pragma once

#include <optional>

#include "Wendalore/Model/RequestHistoryItem.h"

namespace wendalore {

// The request's header fields as the server received them, the session's
// defaults and the transfer's own included: those written for the hop to
// the entry's URL. None until the send went out.
std::optional<HeaderDictionary> wireHeaders(const RequestHistoryItem& item);

}  // namespace wendalore
