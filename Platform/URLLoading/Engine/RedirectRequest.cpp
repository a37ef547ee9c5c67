#include "Platform/URLLoading/Engine/RedirectRequest.h"

#include <curl/curl.h>
#include <fmt/format.h>

#include <array>
#include <memory>

#include "Platform/Foundation/ASCIICase.h"

namespace platform {

namespace {

bool needsEscaping(unsigned char character) {
  return character <= 0x20 || character >= 0x7F ||
         std::string_view("\"<>\\^`{|}").find(static_cast<char>(character)) != std::string_view::npos;
}

std::string escaped(std::string_view text) {
  std::string result;
  for (const char character : text) {
    const auto byte = static_cast<unsigned char>(character);
    result += needsEscaping(byte) ? fmt::format("%{:02X}", byte) : std::string(1, character);
  }
  return result;
}

struct CurlURLDeleter {
  void operator()(CURLU* url) const { curl_url_cleanup(url); }
};

std::string origin(const URL& url) {
  const auto scheme = asciiLowercased(url.scheme().value_or(""));
  const int defaultPort = scheme == "https" ? 443 : 80;
  return fmt::format("{}://{}:{}", scheme, asciiLowercased(url.host().value_or("")), url.port().value_or(defaultPort));
}

bool isRedirectStatus(int status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

bool turnsIntoGET(int status, const std::string& method) {
  if (status == 303) return method != "GET" && method != "HEAD";
  return (status == 301 || status == 302) && method == "POST";
}

}  // namespace

bool sameOrigin(const URL& first, const URL& second) { return origin(first) == origin(second); }

std::optional<URL> resolveLocation(const URL& base, std::string_view location) {
  const std::unique_ptr<CURLU, CurlURLDeleter> url(curl_url());
  if (!url) return std::nullopt;
  const auto reference = escaped(location);
  if (curl_url_set(url.get(), CURLUPART_URL, base.absoluteString().c_str(), 0) != CURLUE_OK ||
      curl_url_set(url.get(), CURLUPART_URL, reference.c_str(), 0) != CURLUE_OK) {
    return std::nullopt;
  }
  char* text = nullptr;
  if (curl_url_get(url.get(), CURLUPART_URL, &text, 0) != CURLUE_OK) return std::nullopt;
  std::string resolved(text);
  curl_free(text);
  if (reference.find('#') == std::string::npos) {
    if (const auto fragment = base.fragment()) resolved += "#" + *fragment;
  }
  return URL::string(resolved);
}

std::optional<RedirectRequest> redirectRequest(const URLRequest& request, const HTTPURLResponse& response) {
  const int status = response.statusCode();
  if (!isRedirectStatus(status) || !request.url()) return std::nullopt;
  const auto location = response.valueForHTTPHeaderField("Location");
  if (!location) return std::nullopt;
  auto target = resolveLocation(*request.url(), *location);
  if (!target) return std::nullopt;

  RedirectRequest next{request, false};
  if (!sameOrigin(*target, *request.url())) {
    for (const auto name : credentialFieldNames) next.request.setValueForHTTPHeaderField(std::nullopt, name);
  }
  next.request.setURL(std::move(target));
  if (turnsIntoGET(status, request.httpMethod().value_or("GET"))) {
    next.dropsBody = true;
    next.request.setHTTPMethod("GET");
    next.request.setHTTPBody(std::nullopt);
    next.request.setHTTPBodyStream(nullptr);
    static constexpr std::array<std::string_view, 5> bodyFields = {"Content-Type", "Content-Length", "Content-Encoding",
                                                                   "Content-Language", "Content-Location"};
    for (const auto name : bodyFields) next.request.setValueForHTTPHeaderField(std::nullopt, name);
  }
  return next;
}

}  // namespace platform
