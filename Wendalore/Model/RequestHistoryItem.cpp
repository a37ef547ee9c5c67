#include "Wendalore/Model/RequestHistoryItem.h"

#include <algorithm>
#include <array>
#include <utility>

#include "Platform/Foundation/ASCIICase.h"

namespace wendalore {

std::shared_ptr<RequestHistoryItem> RequestHistoryItem::make(platform::Date timestamp, std::string method,
                                                             std::string url, HeaderDictionary requestHeaders,
                                                             std::optional<std::string> requestBody, bool bodyWasSent) {
  return std::make_shared<RequestHistoryItem>(Token{}, timestamp, std::move(method), std::move(url),
                                              std::move(requestHeaders), std::move(requestBody), bodyWasSent);
}

RequestHistoryItem::RequestHistoryItem(Token, platform::Date timestamp, std::string method, std::string url,
                                       HeaderDictionary requestHeaders, std::optional<std::string> requestBody,
                                       bool bodyWasSent)
    : timestamp_(timestamp),
      method_(std::move(method)),
      url_(std::move(url)),
      requestHeaders_(std::move(requestHeaders)),
      requestBody_(std::move(requestBody)),
      bodyWasSent_(bodyWasSent) {}

std::string RequestHistoryItem::responseLanguage() const {
  auto contentType = std::ranges::find_if(responseHeaders_, [](const auto& header) {
    return platform::equalsIgnoringASCIICase(header.first, "Content-Type");
  });
  if (contentType == responseHeaders_.end()) return "plaintext";

  // The first rule with a media type the value contains decides.
  struct Rule {
    std::array<std::string_view, 3> mediaTypes;
    std::string_view language;
  };
  static constexpr std::array rules = {
      Rule{{"application/json"}, "json"},
      Rule{{"text/html", "application/xml", "text/xml"}, "xml"},
      Rule{{"text/css"}, "css"},
      Rule{{"javascript", "application/js"}, "javascript"},
  };
  const std::string value = platform::asciiLowercased(contentType->second);
  for (const auto& rule : rules) {
    if (std::ranges::any_of(rule.mediaTypes, [&](std::string_view type) {
          return !type.empty() && value.find(type) != std::string::npos;
        })) {
      return std::string(rule.language);
    }
  }
  return "plaintext";
}

}  // namespace wendalore
