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

// The URLError for a head past the library's limits, which it reports as
// memory running out: the request's, refused before any of it is sent, or
// a response header line too long to take in.
AnyError makeOversizedHeadError(bool requestHeadSent, std::optional<URL> failingURL);

// The URLError for a task whose request went out `sends` times, as often
// as the engine sends one, and was refused or lost each time before any
// answer.
AnyError makeSendsExhaustedError(int sends, std::optional<URL> failingURL);

}  // namespace platform
