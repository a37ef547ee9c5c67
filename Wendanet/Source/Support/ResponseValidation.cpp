#include "Wendanet/Source/Support/ResponseValidation.h"

#include <cstddef>
#include <cstdint>

#include "Platform/Foundation/UnicodeScalars.h"

namespace wendanet {
namespace {

bool isWhiteSpaceOrNewline(char32_t scalar) {
  return (scalar >= 0x09 && scalar <= 0x0D) || scalar == 0x20 || scalar == 0x85 || scalar == 0xA0 || scalar == 0x1680 ||
         (scalar >= 0x2000 && scalar <= 0x200A) || scalar == 0x2028 || scalar == 0x2029 || scalar == 0x202F ||
         scalar == 0x205F || scalar == 0x3000;
}

// Whether the scalar at `position` is white space; `position` moves past it.
bool takesWhiteSpace(std::string_view text, std::size_t& position) {
  const auto scalar = platform::nextUnicodeScalar(text, position);
  return scalar && isWhiteSpaceOrNewline(*scalar);
}

std::string_view trimmed(std::string_view text) {
  std::size_t start = 0;
  for (std::size_t next = 0; start < text.size() && takesWhiteSpace(text, next);) start = next;
  text.remove_prefix(start);
  while (!text.empty()) {
    // Back to the lead byte of the last scalar.
    std::size_t last = text.size() - 1;
    while (last > 0 && (static_cast<unsigned char>(text[last]) & 0xC0) == 0x80) --last;
    std::size_t position = last;
    if (!takesWhiteSpace(text, position) || position != text.size()) break;
    text.remove_suffix(text.size() - last);
  }
  return text;
}

ValidationResult failure(ResponseValidationFailureReason reason) {
  return std::unexpected(platform::makeError(WNError::responseValidationFailed(std::move(reason))));
}

std::vector<std::string> sorted(std::vector<std::string> types) {
  std::ranges::sort(types);
  return types;
}

}  // namespace

ParsedMIMEType ParsedMIMEType::parse(std::string_view text) {
  std::string_view kept = trimmed(text);
  kept = kept.substr(0, kept.find(';'));
  const auto firstSlash = kept.find('/');
  const auto lastSlash = kept.rfind('/');
  return {std::string(kept.substr(0, firstSlash)),
          std::string(lastSlash == std::string_view::npos ? kept : kept.substr(lastSlash + 1))};
}

bool ParsedMIMEType::matches(const ParsedMIMEType& response) const {
  return (type == "*" || type == response.type) && (subtype == "*" || subtype == response.subtype);
}

std::vector<std::string> acceptableContentTypes(const std::optional<platform::URLRequest>& lastRequest) {
  const auto accept = lastRequest ? lastRequest->valueForHTTPHeaderField("Accept") : std::nullopt;
  if (!accept) return {"*/*"};
  std::vector<std::string> pieces;
  for (const auto piece : std::views::split(*accept, ',')) pieces.emplace_back(piece.begin(), piece.end());
  return pieces;
}

ValidationResult validateContentType(const std::vector<std::string>& acceptableTypes,
                                     const platform::HTTPURLResponse& response) {
  using Reason = ResponseValidationFailureReason;
  const auto& mimeType = response.mimeType();
  if (!mimeType) {
    const bool admitsAnything = std::ranges::any_of(
        acceptableTypes, [](const std::string& acceptable) { return ParsedMIMEType::parse(acceptable).isWildcard(); });
    if (admitsAnything) return {};
    return failure(Reason::missingContentType(sorted(acceptableTypes)));
  }
  const ParsedMIMEType responseType = ParsedMIMEType::parse(*mimeType);
  const bool admitted = std::ranges::any_of(acceptableTypes, [&](const std::string& acceptable) {
    return ParsedMIMEType::parse(acceptable).matches(responseType);
  });
  if (admitted) return {};
  return failure(Reason::unacceptableContentType(sorted(acceptableTypes), *mimeType));
}

ValidationResult validateDataContentType(const std::vector<std::string>& acceptableTypes,
                                         const platform::HTTPURLResponse& response,
                                         const std::optional<platform::Data>& data) {
  if (!data || data->empty()) return {};
  return validateContentType(acceptableTypes, response);
}

ValidationResult validateDownloadContentType(const std::function<std::vector<std::string>()>& acceptableTypes,
                                             const platform::HTTPURLResponse& response,
                                             const std::optional<platform::URL>& fileURL,
                                             const platform::FileManager& fileManager) {
  using Reason = ResponseValidationFailureReason;
  if (!fileURL) return failure(Reason::dataFileNil());
  std::optional<std::uint64_t> size;
  try {
    if (!fileURL->isFileURL()) return failure(Reason::dataFileReadFailed(*fileURL));
    size = fileManager.attributesOfItem(fileURL->path()).size;
  } catch (const platform::Error&) {
    return failure(Reason::dataFileReadFailed(*fileURL));
  }
  const auto types = acceptableTypes();
  if (size.value_or(0) == 0) return {};
  return validateContentType(types, response);
}

}  // namespace wendanet
