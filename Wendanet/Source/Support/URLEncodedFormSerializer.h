#pragma once

#include <string>
#include <string_view>

#include "Platform/Foundation/CharacterSet.h"
#include "Wendanet/Source/Support/FormEncodingOptions.h"
#include "Wendanet/Source/Support/KeyEncoding.h"
#include "Wendanet/Source/Support/URLEncodedFormComponent.h"

namespace wendanet {

// Flattens a component tree into key=value pairs joined by "&": nested
// keys and list keys are formed, each complete key rewritten once, keys
// and values escaped and, when asked, the pairs sorted at every level.
class URLEncodedFormSerializer {
 public:
  URLEncodedFormSerializer(bool alphabetizeKeyValuePairs, ArrayEncoding arrayEncoding, KeyEncoding keyEncoding,
                           KeyPathEncoding keyPathEncoding, SpaceEncoding spaceEncoding,
                           platform::CharacterSet allowedCharacters);

  std::string serialize(const URLEncodedFormComponent::Object& object) const;

  std::string serializeArray(const URLEncodedFormComponent::Array& elements, const std::string& key) const;
  std::string serializeObject(const URLEncodedFormComponent::Object& object, const std::string& key) const;
  // Every character outside the allowed characters and the space as its
  // UTF-8 bytes in "%XX" form; bytes that are not UTF-8 each on their own,
  // so that no "&", "=" or "#" can slip through unescaped. Then the spaces.
  std::string escape(std::string_view text) const;

 private:
  std::string segment(const std::string& key, const URLEncodedFormComponent& component) const;
  std::string joined(std::vector<std::string> segments) const;

  bool alphabetizeKeyValuePairs_;
  ArrayEncoding arrayEncoding_;
  KeyEncoding keyEncoding_;
  KeyPathEncoding keyPathEncoding_;
  SpaceEncoding spaceEncoding_;
  platform::CharacterSet allowedCharacters_;
};

}  // namespace wendanet
