#pragma once

// The URL loading classes that the HTTP layer's interfaces name. Only the
// names are needed here: values of these types are held by shared pointer
// and handed on, never looked into.
namespace platform {
class URLSession;
class URLSessionTask;
class URLSessionDataTask;
class URLSessionDownloadTask;
class CachedURLResponse;
struct URLAuthenticationChallenge;
struct URLSessionTaskMetrics;
}  // namespace platform
