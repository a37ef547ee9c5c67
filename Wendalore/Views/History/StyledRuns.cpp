#include "Wendalore/Views/History/StyledRuns.h"

#include <algorithm>
#include <utility>

namespace wendalore {

void StyledRuns::Piece::append(std::uint32_t length, std::uint8_t style) {
  if (length == 0) return;
  if (styles_.empty() || styles_.back() != style) {
    offsets_.push_back(static_cast<std::uint16_t>(end_ - start_));
    styles_.push_back(style);
  }
  end_ += length;
}

void StyledRuns::Piece::seal() {
  offsets_.shrink_to_fit();
  styles_.shrink_to_fit();
}

std::uint32_t StyledRuns::Piece::spanEnd(std::size_t index) const {
  return index + 1 < offsets_.size() ? spanStart(index + 1) : end_;
}

void StyledRuns::Piece::addSpans(std::uint32_t start, std::uint32_t end, std::vector<Span>& spans) const {
  if (start >= end_ || end <= start_ || offsets_.empty()) return;
  const auto offset = static_cast<std::uint16_t>(std::max(start, start_) - start_);
  const auto after = std::ranges::upper_bound(offsets_, offset);
  auto index = static_cast<std::size_t>(std::max<std::ptrdiff_t>(after - offsets_.begin() - 1, 0));
  for (; index < offsets_.size() && spanStart(index) < end; ++index) {
    spans.push_back({std::max(spanStart(index), start), std::min(spanEnd(index), end), styles_[index]});
  }
}

void StyledRuns::PieceBuilder::append(std::uint32_t length, std::uint8_t style) {
  while (length > 0) {
    if (piece_->room() == 0) {
      piece_->seal();
      const auto end = piece_->end();
      done_.push_back(std::exchange(piece_, std::make_shared<Piece>(end)));
    }
    const auto part = std::min(length, piece_->room());
    piece_->append(part, style);
    length -= part;
  }
}

std::vector<std::shared_ptr<const StyledRuns::Piece>> StyledRuns::PieceBuilder::finish() {
  piece_->seal();
  done_.push_back(std::move(piece_));
  return std::move(done_);
}

StyledRuns StyledRuns::from(const platform::AttributedString& text) {
  StyledRuns result;
  PieceBuilder builder(0);
  for (const auto& run : text.runs()) {
    builder.append(static_cast<std::uint32_t>(run.range.length), result.style(run.attributes()));
  }
  result.pieces = builder.finish();
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
  const auto first = std::ranges::upper_bound(pieces, piece->start(), {}, [](const auto& each) { return each->end(); });
  const auto last = std::find_if(first, pieces.end(), [&](const auto& each) {
    return each->start() >= piece->end() || piece->start() == piece->end();
  });
  pieces.insert(pieces.erase(first, last), std::move(piece));
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
