#pragma once

#include "Platform/Foundation/CharacterSet.h"

namespace wendanet {

// What query and form text leaves unescaped: the ASCII letters and digits
// and "-", ".", "_", "~", "/", "?". Everything else, every non-ASCII
// character included, is escaped. Built once, on first use.
const platform::CharacterSet& wnURLQueryAllowed();

}  // namespace wendanet
