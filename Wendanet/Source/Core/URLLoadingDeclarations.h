#pragma once

// The URL loading types that the HTTP layer's interfaces name.
#include "Platform/URLLoading/CachedURLResponse.h"
#include "Platform/URLLoading/URLAuthenticationChallenge.h"
#include "Platform/URLLoading/URLSession.h"
#include "Platform/URLLoading/URLSessionDataTask.h"
#include "Platform/URLLoading/URLSessionTask.h"
#include "Platform/URLLoading/URLSessionTaskMetrics.h"

namespace platform {
// Download tasks are still to come to the URL loading engine; until then
// the layer only hands them on by shared pointer.
class URLSessionDownloadTask;
}  // namespace platform
