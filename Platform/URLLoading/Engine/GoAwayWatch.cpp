#include "Platform/URLLoading/Engine/GoAwayWatch.h"

#include <openssl/ssl.h>

#include <algorithm>
#include <charconv>
#include <optional>

namespace platform {

struct GoAwayWatch::Connection {
  std::optional<std::uint32_t> goAwayLastStream;
};

namespace {

using ConnectionPointer = std::shared_ptr<GoAwayWatch::Connection>;

// The messages as the library words them, misspelt in this version. Only
// their start is matched: what follows may quote a request's fields.
constexpr std::string_view streamPrefix = "Using Stream ID: ";
constexpr std::string_view goAwayPrefixes[] = {"recveived GOAWAY, ", "received GOAWAY, "};
constexpr std::string_view lastStreamLabel = "last_stream=";

std::optional<std::uint32_t> numberAt(std::string_view text, std::size_t at) {
  std::uint32_t number = 0;
  const auto [end, error] = std::from_chars(text.data() + at, text.data() + text.size(), number);
  if (error != std::errc()) return std::nullopt;
  return number;
}

// Every TLS object of the process is freed through here, most without a
// connection record.
void freeConnection(void*, void* connection, CRYPTO_EX_DATA*, int, long, void*) {
  delete static_cast<ConnectionPointer*>(connection);
}

int connectionIndex() {
  static const int index = CRYPTO_get_ex_new_index(CRYPTO_EX_INDEX_SSL, 0, nullptr, nullptr, nullptr, &freeConnection);
  return index;
}

}  // namespace

void GoAwayWatch::watch(CURL* handle) {
  stream_ = 0;
  connection_.reset();
  curl_easy_setopt(handle, CURLOPT_DEBUGFUNCTION, &GoAwayWatch::onDebug);
  curl_easy_setopt(handle, CURLOPT_DEBUGDATA, this);
  curl_easy_setopt(handle, CURLOPT_VERBOSE, 1L);
}

bool GoAwayWatch::refusedByGoAway() const {
  return stream_ != 0 && connection_ && connection_->goAwayLastStream && stream_ > *connection_->goAwayLastStream;
}

int GoAwayWatch::onDebug(CURL* handle, curl_infotype type, char* text, std::size_t size, void* self) {
  if (type == CURLINFO_TEXT) static_cast<GoAwayWatch*>(self)->read(handle, std::string_view(text, size));
  return 0;
}

// A GOAWAY comes to whichever transfer reads the connection at the time.
void GoAwayWatch::read(CURL* handle, std::string_view message) {
  if (message.starts_with(streamPrefix)) {
    stream_ = numberAt(message, streamPrefix.size()).value_or(0);
    connection_ = connectionOf(handle);
    return;
  }
  const bool goAway =
      std::ranges::any_of(goAwayPrefixes, [&](std::string_view prefix) { return message.starts_with(prefix); });
  const auto lastStream = message.find(lastStreamLabel);
  if (!goAway || lastStream == std::string_view::npos) return;
  const auto named = numberAt(message, lastStream + lastStreamLabel.size());
  const auto connection = connectionOf(handle);
  if (!named || !connection) return;
  // A server that shuts down gracefully names fewer streams each time.
  connection->goAwayLastStream = std::min(connection->goAwayLastStream.value_or(*named), *named);
}

ConnectionPointer GoAwayWatch::connectionOf(CURL* handle) {
  curl_tlssessioninfo* session = nullptr;
  curl_easy_getinfo(handle, CURLINFO_TLS_SSL_PTR, &session);
  const int index = connectionIndex();
  if (session == nullptr || session->backend != CURLSSLBACKEND_OPENSSL || session->internals == nullptr || index < 0) {
    return nullptr;
  }
  auto* tls = static_cast<SSL*>(session->internals);
  if (auto* kept = static_cast<ConnectionPointer*>(SSL_get_ex_data(tls, index))) return *kept;
  auto made = std::make_unique<ConnectionPointer>(std::make_shared<Connection>());
  if (SSL_set_ex_data(tls, index, made.get()) != 1) return nullptr;
  // The TLS object owns it from now on.
  return *made.release();
}

}  // namespace platform
