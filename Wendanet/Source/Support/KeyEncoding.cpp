#include "Wendanet/Source/Support/KeyEncoding.h"

#include <cstddef>
#include <optional>
#include <vector>

#include "Platform/Foundation/UnicodeScalars.h"
#include "Wendanet/Source/Core/TaggedUnion.h"
#include "Wendanet/Source/Support/UnicodeCase.h"

namespace wendanet {
namespace {

// The key's characters with where each starts; a byte that is not UTF-8
// stands as a character of its own that is neither upper- nor lower-case.
struct Characters {
  std::vector<std::optional<char32_t>> scalars;
  std::vector<std::size_t> offsets;  // one more than scalars: the end

  explicit Characters(std::string_view text) {
    for (std::size_t position = 0; position < text.size();) {
      offsets.push_back(position);
      scalars.push_back(platform::nextUnicodeScalar(text, position));
    }
    offsets.push_back(text.size());
  }

  std::size_t size() const { return scalars.size(); }

  template <class Test>
  std::optional<std::size_t> find(std::size_t from, Test test) const {
    for (std::size_t index = from; index < size(); ++index) {
      if (scalars[index] && test(*scalars[index])) return index;
    }
    return std::nullopt;
  }
};

std::string capitalizedFirst(std::string_view key) {
  if (key.empty()) return {};
  std::size_t afterFirst = 0;
  platform::nextUnicodeScalar(key, afterFirst);
  return uppercased(key.substr(0, afterFirst)) + std::string(key.substr(afterFirst));
}

}  // namespace

std::string KeyEncoding::convertCase(std::string_view key, std::string_view separator) {
  if (key.empty()) return std::string(key);
  const Characters characters(key);
  std::vector<std::string_view> words;
  const auto recordWord = [&](std::size_t first, std::size_t end) {
    words.push_back(key.substr(characters.offsets[first], characters.offsets[end] - characters.offsets[first]));
  };

  std::size_t wordStart = 0;
  std::size_t searchStart = 1;
  while (const auto upper = characters.find(searchStart, isUppercaseLetter)) {
    recordWord(wordStart, *upper);
    const auto lower = characters.find(*upper, isLowercaseLetter);
    if (!lower) {
      wordStart = *upper;
      break;
    }
    if (*lower == *upper + 1) {
      wordStart = *upper;
    } else {
      // The capitals before the last one are an acronym of their own.
      recordWord(*upper, *lower - 1);
      wordStart = *lower - 1;
    }
    searchStart = *lower + 1;
  }
  recordWord(wordStart, characters.size());

  std::string converted;
  for (std::size_t index = 0; index < words.size(); ++index) {
    if (index > 0) converted.append(separator);
    converted.append(wendanet::lowercased(words[index]));
  }
  return converted;
}

std::string KeyEncoding::encode(const std::string& key) const {
  return std::visit(Overloaded{
                        [&](Builtin builtin) {
                          switch (builtin) {
                            case useDefaultKeys:
                              return key;
                            case convertToSnakeCase:
                              return convertCase(key, "_");
                            case convertToKebabCase:
                              return convertCase(key, "-");
                            case capitalized:
                              return capitalizedFirst(key);
                            case uppercased:
                              return wendanet::uppercased(key);
                            case lowercased:
                              return wendanet::lowercased(key);
                          }
                          return key;
                        },
                        [&](const Handler& handler) { return handler(key); },
                    },
                    choice_);
}

}  // namespace wendanet
