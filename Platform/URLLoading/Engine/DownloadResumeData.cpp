#include "Platform/URLLoading/Engine/DownloadResumeData.h"

#include <fmt/format.h>

#include "Platform/Coding/JSONSerialization.h"
#include "Platform/Foundation/ASCIICase.h"
#include "Platform/URLLoading/ResumeDataError.h"

namespace platform {

namespace {

constexpr std::string_view formatKey = "format";
constexpr std::string_view versionKey = "version";
constexpr std::string_view urlKey = "url";
constexpr std::string_view entityTagKey = "entityTag";
constexpr std::string_view lastModifiedKey = "lastModified";
constexpr std::string_view temporaryPathKey = "temporaryPath";
constexpr std::string_view offsetKey = "offset";

std::unexpected<AnyError> invalid(std::string reason) {
  return std::unexpected(makeError(ResumeDataError(std::move(reason))));
}

// A validator goes out as a header value, so it must not break the line.
bool fitsHeaderValue(std::string_view value) {
  return value.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

std::expected<std::optional<std::string>, AnyError> optionalText(const JSONObject& object, std::string_view key) {
  const auto* value = object.find(key);
  if (value == nullptr) return std::nullopt;
  const auto* text = value->as<std::string>();
  if (text == nullptr)
    return invalid(fmt::format("the resume data's {} is {}, not text.", key, value->kindDescription()));
  if (!fitsHeaderValue(*text))
    return invalid(fmt::format("the resume data's {} holds a line break or a NUL character.", key));
  return *text;
}

std::expected<std::string, AnyError> requiredText(const JSONObject& object, std::string_view key) {
  auto text = optionalText(object, key);
  if (!text) return std::unexpected(text.error());
  if (!*text) return invalid(fmt::format("the resume data has no {}.", key));
  return std::move(**text);
}

// The top-level object of data in this system's format, or none.
std::optional<JSONObject> formatObject(const Data& data) {
  JSONValue root;
  try {
    root = JSONSerialization::jsonObject(data);
  } catch (const Error&) {
    return std::nullopt;
  }
  auto* object = root.as<JSONObject>();
  const auto* format = object ? object->find(formatKey) : nullptr;
  const auto* name = format ? format->as<std::string>() : nullptr;
  if (name == nullptr || *name != DownloadResumeData::formatName) return std::nullopt;
  return std::move(*object);
}

bool isHTTPURL(const URL& url) {
  const auto scheme = asciiLowercased(url.scheme().value_or(""));
  const auto host = url.host();
  return (scheme == "http" || scheme == "https") && host && !host->empty();
}

}  // namespace

std::optional<std::string> DownloadResumeData::rangeValidator() const {
  // A weak tag only says the content is alike, not the same byte for byte.
  if (entityTag && !entityTag->starts_with("W/")) return entityTag;
  return lastModified;
}

URLRequest DownloadResumeData::request() const {
  URLRequest request(url);
  request.setValueForHTTPHeaderField(fmt::format("bytes={}-", offset), "Range");
  request.setValueForHTTPHeaderField(rangeValidator(), "If-Range");
  request.setValueForHTTPHeaderField("identity", "Accept-Encoding");
  return request;
}

Data DownloadResumeData::encoded() const {
  JSONObject object;
  object.set(std::string(formatKey), formatName);
  object.set(std::string(versionKey), formatVersion);
  object.set(std::string(urlKey), url.absoluteString());
  if (entityTag) object.set(std::string(entityTagKey), *entityTag);
  if (lastModified) object.set(std::string(lastModifiedKey), *lastModified);
  object.set(std::string(temporaryPathKey), temporaryPath.string());
  object.set(std::string(offsetKey), offset);
  return JSONSerialization::data(JSONValue(std::move(object)));
}

std::expected<DownloadResumeData, AnyError> DownloadResumeData::decode(const Data& data) {
  const auto object = formatObject(data);
  if (!object) return invalid("the resume data is not in this system's format.");
  const auto* versionValue = object->find(versionKey);
  const auto* version = versionValue ? versionValue->as<std::int64_t>() : nullptr;
  if (version == nullptr || *version != formatVersion) {
    return invalid("the resume data was made by a version of this system that this one cannot read.");
  }

  auto urlText = requiredText(*object, urlKey);
  if (!urlText) return std::unexpected(urlText.error());
  const auto url = URL::string(*urlText);
  if (!url || !isHTTPURL(*url)) return invalid(fmt::format("\"{}\" is not an HTTP URL.", *urlText));

  auto entityTag = optionalText(*object, entityTagKey);
  if (!entityTag) return std::unexpected(entityTag.error());
  auto lastModified = optionalText(*object, lastModifiedKey);
  if (!lastModified) return std::unexpected(lastModified.error());

  auto path = requiredText(*object, temporaryPathKey);
  if (!path) return std::unexpected(path.error());
  if (!std::filesystem::path(*path).is_absolute()) {
    return invalid(fmt::format("the partial file \"{}\" is not named by an absolute path.", *path));
  }

  const auto* offsetValue = object->find(offsetKey);
  const auto* offset = offsetValue ? offsetValue->as<std::int64_t>() : nullptr;
  if (offset == nullptr || *offset < 0) return invalid("the resume data has no byte count for the partial file.");

  DownloadResumeData result{*url, std::move(*entityTag), std::move(*lastModified), std::move(*path), *offset};
  if (!result.rangeValidator())
    return invalid("the resume data holds nothing that tells whether the resource changed.");
  return result;
}

}  // namespace platform
