// Form fields a person typed, one "name\tvalue" a line, through the form
// encoder; a server decoding the text must get the same fields back.

#include <algorithm>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "Platform/Coding/Codable.h"
#include "Wendanet/Source/Support/URLEncodedFormEncoder.h"
#include "fuzz/FuzzCheck.h"

using wendanet::URLEncodedFormEncoder;

namespace {

struct Fields {
  std::vector<std::pair<std::string, std::string>> pairs;
  void encode(platform::Encoder& encoder) const {
    auto container = encoder.container();
    for (const auto& [name, value] : pairs) container->encode(value, name);
  }
};

int hexDigit(char digit) {
  if (digit >= '0' && digit <= '9') return digit - '0';
  if (digit >= 'A' && digit <= 'F') return digit - 'A' + 10;
  if (digit >= 'a' && digit <= 'f') return digit - 'a' + 10;
  return -1;
}

// As a server reads form text: "+" is a space, "%XX" a byte.
std::string formDecoded(std::string_view text) {
  std::string decoded;
  for (std::size_t index = 0; index < text.size(); ++index) {
    if (text[index] == '+') {
      decoded += ' ';
    } else if (text[index] == '%') {
      fuzz::require(index + 2 < text.size() && hexDigit(text[index + 1]) >= 0 && hexDigit(text[index + 2]) >= 0,
                    "a \"%\" that starts no escape");
      decoded += static_cast<char>(hexDigit(text[index + 1]) * 16 + hexDigit(text[index + 2]));
      index += 2;
    } else {
      decoded += text[index];
    }
  }
  return decoded;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Fields fields;
  std::map<std::string, std::string> expected;
  for (const auto line : fuzz::pieces(fuzz::text(data, size), '\n')) {
    const auto tab = line.find('\t');
    if (tab == std::string_view::npos) continue;
    std::string name(line.substr(0, tab));
    std::string value(line.substr(tab + 1));
    expected.insert_or_assign(name, value);
    fields.pairs.emplace_back(std::move(name), std::move(value));
  }
  const auto encoded = URLEncodedFormEncoder::make()->encode(fields);
  std::vector<std::pair<std::string, std::string>> decoded;
  if (!encoded.empty()) {
    for (const auto pair : fuzz::pieces(encoded, '&')) {
      const auto equals = pair.find('=');
      fuzz::require(equals != std::string_view::npos, "a pair without \"=\"");
      decoded.emplace_back(formDecoded(pair.substr(0, equals)), formDecoded(pair.substr(equals + 1)));
    }
  }
  std::ranges::sort(decoded);
  fuzz::require(decoded == std::vector<std::pair<std::string, std::string>>(expected.begin(), expected.end()),
                "the decoded fields differ from those encoded");
  return 0;
}
