#include "Platform/URLLoading/Engine/ResponseHeaderParser.h"

#include <algorithm>
#include <charconv>
#include <string>

#include "Platform/Foundation/ASCIICase.h"

namespace platform {

namespace {

std::string_view withoutLineBreak(std::string_view line) {
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  return line;
}

std::string_view trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

bool isASCIIDigit(char character) { return character >= '0' && character <= '9'; }

// A carriage return that does not end the line would split the field for
// anyone who writes it out again (a copied header, a saved response), so it
// becomes a space, as HTTP allows a recipient to do.
std::string withoutBareCarriageReturns(std::string_view text) {
  std::string result(text);
  std::ranges::replace(result, '\r', ' ');
  return result;
}

}  // namespace

ResponseHeaderParser::Outcome ResponseHeaderParser::feed(std::string_view line) {
  if (!inBlock_) startBlock();
  blockSize_ += line.size();
  if (blockSize_ > maximumBlockSize) return Outcome::tooLarge;
  const auto text = withoutLineBreak(line);
  if (statusCode_ == 0) return readStatusLine(text) ? Outcome::needMore : Outcome::malformed;
  if (!text.empty() && !line.starts_with('\r')) {
    readFieldLine(text);
    return Outcome::needMore;
  }
  inBlock_ = false;
  // The library ends the block at the first line that starts with a line
  // break byte, whatever follows it.
  if (line != "\r\n" && line != "\n") return Outcome::endInDoubt;
  // 101 switches protocols and is final; the other 1xx announce what follows.
  if (statusCode_ < 200 && statusCode_ != 101) return Outcome::needMore;
  return hasConsistentContentLength() ? Outcome::complete : Outcome::malformed;
}

void ResponseHeaderParser::startBlock() {
  inBlock_ = true;
  blockSize_ = 0;
  statusCode_ = 0;
  fields_.clear();
  // Room for a usual response's fields, so the list is not regrown line by
  // line; kept under the allocator's large-block size, which costs more.
  fields_.reserve(12);
}

// "HTTP/1.1 200 OK", "HTTP/2 204": exactly three digits, then a space or
// the end of the line.
bool ResponseHeaderParser::readStatusLine(std::string_view line) {
  if (!line.starts_with("HTTP/")) return false;
  const auto space = line.find(' ');
  if (space == std::string_view::npos) return false;
  const auto code = line.substr(space + 1, 3);
  const auto rest = line.substr(std::min(line.size(), space + 4));
  int status = 0;
  const auto [end, error] = std::from_chars(code.data(), code.data() + code.size(), status);
  if (error != std::errc() || end != code.data() + 3 || status < 100 || status > 999) return false;
  if (!rest.empty() && rest.front() != ' ') return false;
  statusCode_ = status;
  httpVersion_ = std::string(line.substr(5, space - 5));
  return true;
}

// Two lengths that disagree leave the body's end to whoever reads it
// which way: a response that says so is not to be trusted with any. A
// list of one repeated value ("5, 5") says one thing.
bool ResponseHeaderParser::hasConsistentContentLength() const {
  std::optional<std::string_view> agreed;
  for (const auto& [name, value] : fields_) {
    if (!equalsIgnoringASCIICase(name, "Content-Length")) continue;
    std::string_view list = value;
    while (true) {
      const auto comma = list.find(',');
      const auto item = trimmed(list.substr(0, comma));
      if (item.empty() || item.size() > 18 || !std::ranges::all_of(item, isASCIIDigit)) return false;
      if (agreed && *agreed != item) return false;
      agreed = item;
      if (comma == std::string_view::npos) break;
      list.remove_prefix(comma + 1);
    }
  }
  return true;
}

void ResponseHeaderParser::readFieldLine(std::string_view line) {
  // The copy is only for the rare line that needs a bare CR replaced.
  if (line.contains('\r')) return readFieldLine(withoutBareCarriageReturns(line));
  if ((line.front() == ' ' || line.front() == '\t')) {
    if (fields_.empty()) return;
    auto& value = fields_.back().second;
    const auto continuation = trimmed(line);
    if (!continuation.empty()) {
      if (!value.empty()) value += ' ';
      value += continuation;
    }
    return;
  }
  const auto colon = line.find(':');
  // A line that is no field carries nothing to keep.
  if (colon == std::string_view::npos || colon == 0) return;
  fields_.emplace_back(std::string(trimmed(line.substr(0, colon))), std::string(trimmed(line.substr(colon + 1))));
}

}  // namespace platform
