#include "Wendalore/Views/History/TextLines.h"

#include <algorithm>
#include <cstring>

#include <QCoreApplication>

namespace wendalore {
namespace {

bool isContinuation(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

// Where a piece of at most `limit` bytes from `from` may end: never inside
// a character.
const char* pieceEnd(const char* from, const char* end, std::size_t limit) {
  if (static_cast<std::size_t>(end - from) <= limit) return end;
  const char* cut = from + limit;
  while (cut > from + 1 && isContinuation(*cut)) --cut;
  return cut;
}

// The length of the well-formed UTF-8 character starting at `at`, or 0 when
// none does; QString reads each byte of a damaged sequence as one
// replacement character.
std::ptrdiff_t validSequenceLength(const char* at, const char* end) {
  const auto byte = [&](std::ptrdiff_t index) { return static_cast<unsigned char>(at[index]); };
  const auto lead = byte(0);
  if (lead < 0x80) return 1;
  std::ptrdiff_t length = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (end - at < length || byte(1) < low || byte(1) > high) return 0;
  for (std::ptrdiff_t index = 2; index < length; ++index) {
    if (!isContinuation(at[index])) return 0;
  }
  return length;
}

// The UTF-16 length of the bytes as QString reads them, damaged sequences
// included.
std::uint32_t utf16Length(const char* from, const char* to) {
  if (std::all_of(from, to, [](char byte) { return static_cast<unsigned char>(byte) < 0x80; })) {
    return static_cast<std::uint32_t>(to - from);
  }
  return static_cast<std::uint32_t>(QString::fromUtf8(from, to - from).size());
}

std::shared_ptr<const std::string> shownText(std::shared_ptr<const std::string> text) {
  if (text && text->size() <= TextLines::maxTextBytes) return text;
  if (!text) return std::make_shared<const std::string>();
  return std::make_shared<const std::string>(QCoreApplication::translate("TextLines", "The body is too large to show here (%1 bytes).")
                                                 .arg(static_cast<qulonglong>(text->size()))
                                                 .toStdString());
}

}  // namespace

TextLines::TextLines() : text_(std::make_shared<const std::string>()), starts_{{0, 0}} {}

TextLines TextLines::index(std::shared_ptr<const std::string> text) {
  const std::atomic<bool> never(false);
  return *index(std::move(text), never);
}

std::optional<TextLines> TextLines::index(std::shared_ptr<const std::string> text,
                                          const std::atomic<bool>& cancelled) {
  TextLines lines;
  lines.text_ = shownText(std::move(text));
  lines.starts_.clear();
  const char* const begin = lines.text_->data();
  const char* const end = begin + lines.text_->size();
  // Sized once: growing the index as it fills would take twice its size.
  std::size_t feeds = 0;
  for (const char* at = begin; (at = static_cast<const char*>(std::memchr(at, '\n', static_cast<std::size_t>(end - at))));
       ++at) {
    ++feeds;
  }
  lines.starts_.reserve(feeds + 1 + lines.text_->size() / maxSegmentBytes);
  std::uint32_t unit = 0;
  const char* from = begin;
  do {
    if (cancelled.load(std::memory_order_relaxed)) return std::nullopt;
    const auto* feed = static_cast<const char*>(std::memchr(from, '\n', static_cast<std::size_t>(end - from)));
    const char* lineEnd = feed ? feed : end;
    do {
      const char* to = pieceEnd(from, lineEnd, maxSegmentBytes);
      lines.starts_.push_back({static_cast<std::uint32_t>(from - begin), unit});
      const auto length = utf16Length(from, to);
      lines.longest_ = std::max(lines.longest_, length);
      unit += length;
      from = to;
    } while (from < lineEnd);
    if (feed) {
      ++unit;
      from = feed + 1;
    }
  } while (from < end || (from == end && end > begin && end[-1] == '\n' &&
                          lines.starts_.back().byte != static_cast<std::uint32_t>(end - begin)));
  if (lines.starts_.empty()) lines.starts_.push_back({0, 0});
  lines.end_ = unit;
  return lines;
}

bool TextLines::endsWithLineFeed(std::size_t line) const {
  const auto end = byteEnd(line);
  return end > starts_[line].byte && (*text_)[end - 1] == '\n';
}

std::uint32_t TextLines::byteEnd(std::size_t line) const {
  return line + 1 < starts_.size() ? starts_[line + 1].byte : static_cast<std::uint32_t>(text_->size());
}

QString TextLines::text(std::size_t line) const {
  const auto from = starts_[line].byte;
  const auto to = byteEnd(line) - (endsWithLineFeed(line) ? 1 : 0);
  return QString::fromUtf8(text_->data() + from, to - from);
}

std::uint32_t TextLines::length(std::size_t line) const {
  const auto next = line + 1 < starts_.size() ? starts_[line + 1].unit : end_;
  return next - starts_[line].unit - (endsWithLineFeed(line) ? 1 : 0);
}

std::size_t TextLines::lineAt(std::uint32_t position) const {
  const auto after = std::ranges::upper_bound(starts_, position, {}, &Start::unit);
  return static_cast<std::size_t>(std::max<std::ptrdiff_t>(after - starts_.begin() - 1, 0));
}

std::uint32_t TextLines::byteOf(std::uint32_t position) const {
  const auto line = lineAt(position);
  const auto column = std::min(position - start(line), length(line));
  // Walked character by character: encoding the line's characters again
  // would count three bytes for each damaged byte.
  const char* const from = text_->data() + starts_[line].byte;
  const char* const end = text_->data() + byteEnd(line);
  const char* at = from;
  for (std::uint32_t units = 0; at < end;) {
    const auto length = validSequenceLength(at, end);
    units += length == 4 ? 2 : 1;
    if (units > column) break;
    at += std::max<std::ptrdiff_t>(length, 1);
  }
  return starts_[line].byte + static_cast<std::uint32_t>(at - from);
}

QString TextLines::between(std::uint32_t from, std::uint32_t to) const {
  const auto [first, last] = std::minmax(std::min(from, end_), std::min(to, end_));
  const auto begin = byteOf(first);
  return QString::fromUtf8(text_->data() + begin, byteOf(last) - begin);
}

std::pair<std::uint32_t, std::uint32_t> TextLines::wholeLineAround(std::uint32_t position) const {
  auto first = lineAt(std::min(position, end_));
  while (first > 0 && !endsWithLineFeed(first - 1)) --first;
  auto last = lineAt(std::min(position, end_));
  while (last + 1 < count() && !endsWithLineFeed(last)) ++last;
  return {start(first), last + 1 < count() ? start(last + 1) : end_};
}

}  // namespace wendalore
