#include "Wendalore/Views/History/StyledRuns.h"

#include <algorithm>

namespace wendalore {

void StyledRuns::Piece::append(std::uint32_t length, std::uint8_t style) {
  if (length == 0) return;
  if (styles_.empty() || styles_.back() != style) {
    starts_.push_back(end_);
    styles_.push_back(style);
  }
  end_ += length;
}

void StyledRuns::Piece::seal() {
  starts_.shrink_to_fit();
  styles_.shrink_to_fit();
}

void StyledRuns::Piece::addSpans(std::uint32_t start, std::uint32_t end, std::vector<Span>& spans) const {
  if (start >= end_ || end <= start_ || starts_.empty()) return;
  const auto after = std::ranges::upper_bound(starts_, start);
  auto index = static_cast<std::size_t>(std::max<std::ptrdiff_t>(after - starts_.begin() - 1, 0));
  for (; index < starts_.size() && starts_[index] < end; ++index) {
    const auto spanEnd = index + 1 < starts_.size() ? starts_[index + 1] : end_;
    spans.push_back({std::max(starts_[index], start), std::min(spanEnd, end), styles_[index]});
  }
}

StyledRuns StyledRuns::from(const platform::AttributedString& text) {
  StyledRuns result;
  auto piece = std::make_shared<Piece>();
  for (const auto& run : text.runs()) {
    piece->append(static_cast<std::uint32_t>(run.range.length), result.style(run.attributes));
  }
  piece->seal();
  result.pieces.push_back(std::move(piece));
  result.complete = true;
  return result;
}

std::uint8_t StyledRuns::style(const platform::TextAttributes& attributes) {
  auto found = std::ranges::find(styles, attributes);
  if (found == styles.end()) {
    if (styles.size() == maximumStyles) return maximumStyles - 1;
    found = styles.insert(found, attributes);
  }
  return static_cast<std::uint8_t>(found - styles.begin());
}

void StyledRuns::insert(std::shared_ptr<const Piece> piece) {
  const auto after = std::ranges::upper_bound(pieces, piece->start(), {}, [](const auto& each) { return each->start(); });
  pieces.insert(after, std::move(piece));
}

std::size_t StyledRuns::spanCount() const {
  std::size_t count = 0;
  for (const auto& piece : pieces) count += piece->spanCount();
  return count;
}

std::size_t StyledRuns::byteSize() const {
  std::size_t bytes = styles.size() * sizeof(platform::TextAttributes);
  for (const auto& piece : pieces) bytes += sizeof(Piece) + sizeof(piece) + piece->byteSize();
  return bytes;
}

bool StyledRuns::covers(std::uint32_t start, std::uint32_t end) const {
  auto piece = std::ranges::upper_bound(pieces, start, {}, [](const auto& each) { return each->end(); });
  for (; start < end; ++piece) {
    if (piece == pieces.end() || (*piece)->start() > start) return false;
    start = (*piece)->end();
  }
  return true;
}

std::vector<StyledRuns::Span> StyledRuns::spansBetween(std::uint32_t start, std::uint32_t end) const {
  std::vector<Span> result;
  auto piece = std::ranges::upper_bound(pieces, start, {}, [](const auto& each) { return each->end(); });
  for (; piece != pieces.end() && (*piece)->start() < end; ++piece) (*piece)->addSpans(start, end, result);
  return result;
}

}  // namespace wendalore
