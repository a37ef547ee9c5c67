#include "Wendanet/Source/Support/URLEncodedFormSerializer.h"

#include <algorithm>
#include <vector>

#include "Platform/Foundation/ASCIICase.h"
#include "Platform/Foundation/PercentEncoding.h"
#include "Platform/Text/CanonicalText.h"

namespace wendanet {
namespace {

// The order of the scalars of canonically composed text. Escaped with the
// default characters every segment is ASCII, whose byte order is that
// order; only characters let through unescaped need composing.
void sortAsText(std::vector<std::string>& segments) {
  if (std::ranges::all_of(segments, [](const std::string& segment) { return platform::isASCII(segment); })) {
    std::ranges::sort(segments);
  } else {
    // Canonically equal segments keep their order.
    std::ranges::stable_sort(segments, platform::canonicallyLess);
  }
}

}  // namespace

URLEncodedFormSerializer::URLEncodedFormSerializer(bool alphabetizeKeyValuePairs, ArrayEncoding arrayEncoding,
                                                   KeyEncoding keyEncoding, KeyPathEncoding keyPathEncoding,
                                                   SpaceEncoding spaceEncoding,
                                                   platform::CharacterSet allowedCharacters)
    : alphabetizeKeyValuePairs_(alphabetizeKeyValuePairs),
      arrayEncoding_(std::move(arrayEncoding)),
      keyEncoding_(std::move(keyEncoding)),
      keyPathEncoding_(std::move(keyPathEncoding)),
      spaceEncoding_(spaceEncoding),
      allowedCharacters_(std::move(allowedCharacters).inserting(" ")) {}

std::string URLEncodedFormSerializer::serialize(const URLEncodedFormComponent::Object& object) const {
  std::vector<std::string> segments;
  segments.reserve(object.size());
  for (const auto& [key, component] : object) segments.push_back(segment(key, component));
  return joined(std::move(segments));
}

std::string URLEncodedFormSerializer::serializeArray(const URLEncodedFormComponent::Array& elements,
                                                     const std::string& key) const {
  std::vector<std::string> segments;
  segments.reserve(elements.size());
  for (std::size_t index = 0; index < elements.size(); ++index) {
    segments.push_back(segment(arrayEncoding_.encode(key, index), elements[index]));
  }
  return joined(std::move(segments));
}

std::string URLEncodedFormSerializer::serializeObject(const URLEncodedFormComponent::Object& object,
                                                      const std::string& key) const {
  std::vector<std::string> segments;
  segments.reserve(object.size());
  for (const auto& [subkey, component] : object) {
    segments.push_back(segment(key + keyPathEncoding_.encodeKeyPath(subkey), component));
  }
  return joined(std::move(segments));
}

std::string URLEncodedFormSerializer::escape(std::string_view text) const {
  return spaceEncoding_.encode(platform::percentEncodedBytes(text, allowedCharacters_));
}

std::string URLEncodedFormSerializer::segment(const std::string& key, const URLEncodedFormComponent& component) const {
  if (const auto* text = component.asString()) return escape(keyEncoding_.encode(key)) + "=" + escape(*text);
  if (const auto* elements = component.asArray()) return serializeArray(*elements, key);
  return serializeObject(*component.asObject(), key);
}

std::string URLEncodedFormSerializer::joined(std::vector<std::string> segments) const {
  if (alphabetizeKeyValuePairs_) sortAsText(segments);
  std::string out;
  for (std::size_t index = 0; index < segments.size(); ++index) {
    if (index > 0) out.push_back('&');
    out.append(segments[index]);
  }
  return out;
}

}  // namespace wendanet
