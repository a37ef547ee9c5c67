#include "Wendanet/Source/Support/ResponseDescription.h"

#include <array>
#include <cstddef>
#include <string_view>

#include "Platform/Foundation/NumberText.h"
#include "Platform/Foundation/UTF8.h"
#include "Platform/Foundation/UnicodeScalars.h"
#include "Wendanet/Source/Core/HTTPHeaders.h"
#include "Wendanet/Source/Support/URLRequestExtensions.h"
#include "Wendanet/Source/Support/ValueText.h"

namespace wendanet {

namespace {

// Larger bodies are shown by their size only, so describing a big download
// never decodes it.
constexpr std::size_t maximumPrintableBodySize = 100'000;
constexpr std::array<std::string_view, 3> printableContentTypes = {"json", "xml", "text"};

std::string indentLines(std::string_view text) {
  std::string indented;
  indented.reserve(text.size());
  for (const char character : text) {
    indented += character;
    if (character == '\n') indented += "    ";
  }
  return indented;
}

// Space, tab, the Unicode space separators and the line breaks.
bool isWhitespaceOrNewline(char32_t scalar) {
  constexpr std::u32string_view listed = U" \t\n\v\f\r\u0085\u00A0\u1680\u2028\u2029\u202F\u205F\u3000";
  return listed.find(scalar) != std::u32string_view::npos || (scalar >= U'\u2000' && scalar <= U'\u200A');
}

// The text without white space and line breaks at either end; `text` is
// well-formed UTF-8.
std::string_view trimmed(std::string_view text) {
  std::size_t start = text.size();
  std::size_t end = 0;
  for (std::size_t position = 0; position < text.size();) {
    const std::size_t scalarStart = position;
    const auto scalar = platform::nextUnicodeScalar(text, position);
    if (scalar && isWhitespaceOrNewline(*scalar)) continue;
    if (start == text.size()) start = scalarStart;
    end = position;
  }
  return start < end ? text.substr(start, end - start) : std::string_view();
}

std::string headersSectionText(const HTTPHeaders& headers) {
  if (headers.empty()) return "[Headers]: None";
  return "[Headers]:\n    " + indentLines(headers.sortedByName().makeDescription());
}

bool isPrintable(const HTTPHeaders& headers) {
  const auto contentType = headers.findValue("Content-Type");
  if (!contentType) return false;
  for (const auto type : printableContentTypes) {
    if (contentType->find(type) != std::string::npos) return true;
  }
  return false;
}

std::string bodySectionText(const std::optional<platform::Data>& data, const HTTPHeaders& headers) {
  if (!data || data->empty()) return "[Body]: None";
  const std::string sizeLine = "[Body]: " + detail::sizeText(*data);
  if (data->size() > maximumPrintableBodySize || !isPrintable(headers)) return sizeLine;
  const std::string text = platform::decodeUTF8Repairing(data->view());
  return "[Body]:\n    " + indentLines(trimmed(text));
}

std::string requestSectionText(const platform::URLRequest& request) {
  const HTTPHeaders headers = getHeaders(request);
  const auto method = getMethod(request);
  return "[Request]: " + (method ? method->rawValue() : "GET") + " " + request.description() + "\n    " +
         indentLines(headersSectionText(headers)) + "\n    " +
         indentLines(bodySectionText(request.httpBody(), headers));
}

std::string statusAndHeadersText(const platform::HTTPURLResponse& response, const HTTPHeaders& headers) {
  return "[Response]:\n    [Status Code]: " + std::to_string(response.statusCode()) + "\n    " +
         indentLines(headersSectionText(headers));
}

std::string responseSectionText(const platform::HTTPURLResponse& response, const std::optional<platform::Data>& data) {
  const HTTPHeaders headers = getHeaders(response);
  return statusAndHeadersText(response, headers) + "\n    " + indentLines(bodySectionText(data, headers));
}

std::string durationText(double seconds) { return platform::numberText(seconds) + "s"; }

std::string durationsAndResultText(const std::shared_ptr<const platform::URLSessionTaskMetrics>& metrics,
                                   double serializationDuration, std::string_view resultText) {
  return "\n[Network Duration]: " + (metrics ? durationText(metrics->taskInterval.duration) : "None") +
         "\n[Serialization Duration]: " + durationText(serializationDuration) +
         "\n[Result]: " + std::string(resultText);
}

std::string withoutRequestText(std::string_view resultText) {
  return "[Request]: None\n[Result]: " + std::string(resultText);
}

}  // namespace

std::string dataResponseDebugDescription(const std::optional<platform::URLRequest>& request,
                                         const std::shared_ptr<const platform::HTTPURLResponse>& response,
                                         const std::optional<platform::Data>& data,
                                         const std::shared_ptr<const platform::URLSessionTaskMetrics>& metrics,
                                         double serializationDuration, std::string_view resultText) {
  if (!request) return withoutRequestText(resultText);
  return requestSectionText(*request) + "\n" + (response ? responseSectionText(*response, data) : "[Response]: None") +
         durationsAndResultText(metrics, serializationDuration, resultText);
}

std::string downloadResponseDebugDescription(const std::optional<platform::URLRequest>& request,
                                             const std::shared_ptr<const platform::HTTPURLResponse>& response,
                                             const std::optional<platform::URL>& fileURL,
                                             const std::optional<platform::Data>& resumeData,
                                             const std::shared_ptr<const platform::URLSessionTaskMetrics>& metrics,
                                             double serializationDuration, std::string_view resultText) {
  if (!request) return withoutRequestText(resultText);
  return requestSectionText(*request) + "\n" +
         (response ? statusAndHeadersText(*response, getHeaders(*response)) : "[Response]: None") +
         "\n[File URL]: " + (fileURL ? fileURL->path() : "None") +
         "\n[Resume Data]: " + (resumeData ? detail::sizeText(*resumeData) : "None") +
         durationsAndResultText(metrics, serializationDuration, resultText);
}

}  // namespace wendanet
