#include "Platform/Security/detail/RevocationFetcher.h"

#include <curl/curl.h>

#include <memory>
#include <mutex>

#include "Platform/Foundation/ASCIICase.h"

namespace platform::detail {

namespace {

struct CurlEasyDeleter {
  void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct CurlListDeleter {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

struct Download {
  Data bytes;
  bool tooLarge = false;
};

std::size_t receive(char* bytes, std::size_t size, std::size_t count, void* context) {
  auto& download = *static_cast<Download*>(context);
  const std::size_t length = size * count;
  if (download.bytes.size() + length > RevocationFetcher::maximumSize) {
    download.tooLarge = true;
    return 0;  // ends the transfer
  }
  download.bytes.append(bytes, length);
  return length;
}

bool startsWithHTTP(const std::string& url) {
  constexpr std::string_view scheme = "http://";
  return url.size() >= scheme.size() && equalsIgnoringASCIICase(std::string_view(url).substr(0, scheme.size()), scheme);
}

}  // namespace

std::optional<Data> RevocationFetcher::fetch(const std::string& url, const std::optional<Data>& body,
                                             const std::string& contentType, std::chrono::milliseconds timeout) {
  // Fetching over https would need a trust evaluation of its own.
  if (!startsWithHTTP(url)) return std::nullopt;
  static std::once_flag initialized;
  std::call_once(initialized, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });

  const std::unique_ptr<CURL, CurlEasyDeleter> handle(curl_easy_init());
  if (!handle) return std::nullopt;
  CURL* easy = handle.get();
  Download download;
  std::unique_ptr<curl_slist, CurlListDeleter> headers;
  curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
  curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http");
  curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, static_cast<long>(timeout.count()));
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, receive);
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, &download);
  if (body) {
    headers.reset(curl_slist_append(nullptr, ("Content-Type: " + contentType).c_str()));
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(easy, CURLOPT_POSTFIELDS, body->empty() ? "" : body->view().data());
    curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body->size()));
  }
  if (curl_easy_perform(easy) != CURLE_OK || download.tooLarge) return std::nullopt;
  long status = 0;
  curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
  if (status != 200) return std::nullopt;
  return std::move(download.bytes);
}

}  // namespace platform::detail
