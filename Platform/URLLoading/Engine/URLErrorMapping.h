#pragma once

#include <curl/curl.h>

#include <optional>
#include <string>

#include "Platform/Foundation/URL.h"
#include "Platform/Foundation/URLError.h"

namespace platform {

// The URLError code for a failed transfer, from the library's result and
// the system error behind it (0 when none).
URLError::Code urlErrorCode(CURLcode result, int osErrno);

// The URLError a task fails with, carrying the library's report.
AnyError makeTransferError(CURLcode result, int osErrno, std::string message, std::optional<URL> failingURL);

}  // namespace platform
