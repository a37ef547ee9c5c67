#pragma once

#include "Wendalore/Model/RequestHistoryItem.h"

namespace wendalore {

// The recorded rows as they went out. Where the send wrote a field itself
// over a row (a form's own Content-Type, the body's real Content-Length),
// that field stands in the row's place as it was written; a row for a field
// the request went out without is left out. No field is added that no row
// named: what the send added on its way is not part of the entry.
HeaderDictionary rowsAsSent(const RequestHistoryItem& item);

}  // namespace wendalore
