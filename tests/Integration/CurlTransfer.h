#pragma once

#include <curl/curl.h>

#include <functional>
#include <memory>
#include <string>

// How a plain libcurl GET went: the transfer's code and the HTTP status
// (0 when no response arrived).
struct CurlOutcome {
  CURLcode code = CURLE_FAILED_INIT;
  long status = 0;
};

// A GET of `url` on a fresh easy handle, so no connection or TLS session is
// shared with another transfer; `configure` adds options first.
inline CurlOutcome curlGet(const std::string& url, const std::function<void(CURL*)>& configure = {}) {
  const std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> handle(curl_easy_init(), curl_easy_cleanup);
  if (!handle) return {};
  CURL* easy = handle.get();
  curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
  curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy, CURLOPT_TIMEOUT, 20L);
  curl_easy_setopt(
      easy, CURLOPT_WRITEFUNCTION, +[](char*, std::size_t size, std::size_t count, void*) { return size * count; });
  if (configure) configure(easy);
  CurlOutcome outcome;
  outcome.code = curl_easy_perform(easy);
  curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &outcome.status);
  return outcome;
}
