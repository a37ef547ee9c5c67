#include "Platform/Foundation/TextEncoding.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <memory>

#include "Platform/Foundation/UTF8.h"

namespace platform {
namespace {

using namespace std::string_view_literals;

// How an encoding without a byte order of its own picks one: a leading
// byte-order mark decides, else big-endian (the charset's default).
struct ByteOrderMarks {
  std::string_view bigEndianMark;
  std::string_view littleEndianMark;
  const char* bigEndianName;
  const char* littleEndianName;
};

constexpr ByteOrderMarks utf16Marks{"\xFE\xFF"sv, "\xFF\xFE"sv, "UTF-16BE", "UTF-16LE"};
constexpr ByteOrderMarks utf32Marks{"\0\0\xFE\xFF"sv, "\xFF\xFE\0\0"sv, "UTF-32BE", "UTF-32LE"};

struct EncodingFacts {
  TextEncoding::Value value;
  const char* iconvName;  // null when byteOrderMarks decide
  const ByteOrderMarks* byteOrderMarks;
  std::string_view description;
};

constexpr std::array<EncodingFacts, 8> encodingFacts{{
    {TextEncoding::utf8, "UTF-8", nullptr, "Unicode (UTF-8)"},
    {TextEncoding::isoLatin1, "ISO-8859-1", nullptr, "Western (ISO Latin 1)"},
    {TextEncoding::utf16, nullptr, &utf16Marks, "Unicode (UTF-16)"},
    {TextEncoding::utf16BigEndian, "UTF-16BE", nullptr, "Unicode (UTF-16BE)"},
    {TextEncoding::utf16LittleEndian, "UTF-16LE", nullptr, "Unicode (UTF-16LE)"},
    {TextEncoding::utf32, nullptr, &utf32Marks, "Unicode (UTF-32)"},
    {TextEncoding::utf32BigEndian, "UTF-32BE", nullptr, "Unicode (UTF-32BE)"},
    {TextEncoding::utf32LittleEndian, "UTF-32LE", nullptr, "Unicode (UTF-32LE)"},
}};

struct CharsetName {
  std::string_view name;
  TextEncoding::Value value;
};

constexpr std::array<CharsetName, 10> charsetNames{{
    {"utf-8", TextEncoding::utf8},
    {"iso-8859-1", TextEncoding::isoLatin1},
    {"unicode-1-1", TextEncoding::utf16},
    {"iso-10646-ucs-2", TextEncoding::utf16},
    {"utf-16", TextEncoding::utf16},
    {"utf-16be", TextEncoding::utf16BigEndian},
    {"utf-16le", TextEncoding::utf16LittleEndian},
    {"utf-32", TextEncoding::utf32},
    {"utf-32be", TextEncoding::utf32BigEndian},
    {"utf-32le", TextEncoding::utf32LittleEndian},
}};

const EncodingFacts& factsOf(TextEncoding encoding) {
  return *std::find_if(encodingFacts.begin(), encodingFacts.end(),
                       [&](const EncodingFacts& facts) { return facts.value == encoding.value(); });
}

// Only ASCII letters can match a known name, so ASCII lower-casing is all
// the case folding needed.
std::string asciiLowercased(std::string_view text) {
  std::string lowered(text);
  for (char& symbol : lowered) {
    if (symbol >= 'A' && symbol <= 'Z') symbol = static_cast<char>(symbol - 'A' + 'a');
  }
  return lowered;
}

// Converts all of `input`; absent when a sequence is invalid or cut short in
// the source encoding, or has no counterpart in the target one.
std::optional<std::string> convert(std::string_view input, const char* from, const char* to) {
  const iconv_t descriptor = iconv_open(to, from);
  if (descriptor == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  const std::unique_ptr<void, int (*)(iconv_t)> closer(descriptor, iconv_close);

  std::string output(std::max<std::size_t>(16, input.size() * 2), '\0');
  char* in = const_cast<char*>(input.data());  // iconv never writes through it
  std::size_t inLeft = input.size();
  std::size_t produced = 0;
  bool flushing = false;  // after the input, stateful encoders write their closing bytes
  while (true) {
    char* out = output.data() + produced;
    std::size_t outLeft = output.size() - produced;
    const std::size_t result = flushing ? iconv(descriptor, nullptr, nullptr, &out, &outLeft)
                                        : iconv(descriptor, &in, &inLeft, &out, &outLeft);
    produced = static_cast<std::size_t>(out - output.data());
    if (result == static_cast<std::size_t>(-1)) {
      if (errno != E2BIG) return std::nullopt;
      output.resize(output.size() * 2);
    } else if (flushing) {
      break;
    } else {
      flushing = true;
    }
  }
  output.resize(produced);
  return output;
}

}  // namespace

std::optional<TextEncoding> TextEncoding::fromIANACharsetName(std::string_view name) {
  const std::string lowered = asciiLowercased(name);
  for (const CharsetName& charset : charsetNames) {
    if (charset.name == lowered) return TextEncoding(charset.value);
  }
  return std::nullopt;
}

std::string_view TextEncoding::description() const { return factsOf(*this).description; }

std::optional<std::string> TextEncoding::decode(std::string_view bytes) const {
  if (value_ == utf8) return decodeUTF8(bytes);
  const EncodingFacts& facts = factsOf(*this);
  if (const ByteOrderMarks* marks = facts.byteOrderMarks) {
    if (bytes.starts_with(marks->littleEndianMark)) {
      return convert(bytes.substr(marks->littleEndianMark.size()), marks->littleEndianName, "UTF-8");
    }
    if (bytes.starts_with(marks->bigEndianMark)) bytes.remove_prefix(marks->bigEndianMark.size());
    return convert(bytes, marks->bigEndianName, "UTF-8");
  }
  return convert(bytes, facts.iconvName, "UTF-8");
}

std::optional<Data> TextEncoding::encode(std::string_view text) const {
  if (!isValidUTF8(text)) return std::nullopt;
  if (value_ == utf8) return Data(text);
  const EncodingFacts& facts = factsOf(*this);
  const ByteOrderMarks* marks = facts.byteOrderMarks;
  const auto bytes = convert(text, "UTF-8", marks ? marks->bigEndianName : facts.iconvName);
  if (!bytes) return std::nullopt;
  Data encoded(marks ? marks->bigEndianMark : std::string_view());
  encoded.append(*bytes);
  return encoded;
}

}  // namespace platform
