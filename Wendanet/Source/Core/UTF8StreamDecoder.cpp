#include "Wendanet/Source/Core/UTF8StreamDecoder.h"

#include <cstddef>
#include <utility>

#include "Platform/Foundation/UTF8.h"

namespace wendanet {
namespace {

bool isContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// How many bytes the character led by `lead` has; 0 for a byte that
// cannot lead one.
std::size_t sequenceLength(unsigned char lead) {
  if (lead >= 0xF5) return 0;
  if (lead >= 0xF0) return 4;
  if (lead >= 0xE0) return 3;
  if (lead >= 0xC2) return 2;
  return 0;
}

// The second byte's range is narrower after some leads: that is what rules
// out overlong forms, surrogates and scalars above U+10FFFF.
bool fitsAfterLead(unsigned char lead, unsigned char second) {
  switch (lead) {
    case 0xE0:
      return second >= 0xA0 && second <= 0xBF;
    case 0xED:
      return second >= 0x80 && second <= 0x9F;
    case 0xF0:
      return second >= 0x90 && second <= 0xBF;
    case 0xF4:
      return second >= 0x80 && second <= 0x8F;
    default:
      return isContinuation(second);
  }
}

// The length of the well-formed start of a character at the end of
// `bytes` that more bytes could still complete; 0 when there is none.
std::size_t incompleteTailLength(std::string_view bytes) {
  for (std::size_t back = 1; back <= 3 && back <= bytes.size(); ++back) {
    const auto byte = static_cast<unsigned char>(bytes[bytes.size() - back]);
    if (isContinuation(byte)) continue;
    if (sequenceLength(byte) <= back) return 0;
    if (back >= 2 && !fitsAfterLead(byte, static_cast<unsigned char>(bytes[bytes.size() - back + 1]))) return 0;
    return back;
  }
  return 0;
}

}  // namespace

std::string UTF8StreamDecoder::decode(std::string_view fragment) {
  pending_.append(fragment);
  const std::size_t complete = pending_.size() - incompleteTailLength(pending_);
  std::string text = platform::decodeUTF8Repairing(std::string_view(pending_).substr(0, complete));
  pending_.erase(0, complete);
  return text;
}

std::string UTF8StreamDecoder::flush() { return platform::decodeUTF8Repairing(std::exchange(pending_, {})); }

}  // namespace wendanet
