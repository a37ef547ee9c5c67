#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "Platform/Text/AttributedString.h"

namespace wendalore {

// Highlighted text reduced to what a view paints: a few distinct styles and
// the spans using them, in pieces of the text that may come in any order
// (the text between pieces not yet in stays plain). A large body's styled
// text has a run per token: this keeps three bytes per run, no copy of the
// characters, and one span for neighbouring runs of one style. Positions
// are in UTF-16 code units.
struct StyledRuns {
  struct Span {
    std::uint32_t start;
    std::uint32_t end;
    std::uint8_t style;
  };

  // The spans of a stretch of the text, back to back.
  class Piece {
   public:
    // Span starts are kept as 16-bit offsets from the piece's start.
    static constexpr std::uint32_t maximumLength = 1u << 16;

    explicit Piece(std::uint32_t start = 0) : start_(start), end_(start) {}

    std::uint32_t start() const { return start_; }
    std::uint32_t end() const { return end_; }
    std::uint32_t room() const { return maximumLength - (end_ - start_); }
    std::size_t spanCount() const { return offsets_.size(); }
    std::size_t byteSize() const { return offsets_.capacity() * sizeof(std::uint16_t) + styles_.capacity(); }

    // `length` more units in `style`, at most `room()` of them.
    void append(std::uint32_t length, std::uint8_t style);
    // Gives back what growing took beyond the spans.
    void seal();
    // Adds the spans touching [start, end), clipped to it.
    void addSpans(std::uint32_t start, std::uint32_t end, std::vector<Span>& spans) const;

   private:
    std::uint32_t spanStart(std::size_t index) const { return start_ + offsets_[index]; }
    std::uint32_t spanEnd(std::size_t index) const;

    std::uint32_t start_;
    std::uint32_t end_;
    // Span i runs from offsets_[i] to the next span's offset, the last to
    // end_.
    std::vector<std::uint16_t> offsets_;
    std::vector<std::uint8_t> styles_;
  };

  // Cuts runs given in text order into pieces, a new one wherever one is
  // full.
  class PieceBuilder {
   public:
    explicit PieceBuilder(std::uint32_t start) : piece_(std::make_shared<Piece>(start)) {}
    void append(std::uint32_t length, std::uint8_t style);
    // The pieces made, sealed.
    std::vector<std::shared_ptr<const Piece>> finish();

   private:
    std::vector<std::shared_ptr<const Piece>> done_;
    std::shared_ptr<Piece> piece_;
  };

  // A theme has a few dozen; any past the last index share it.
  static constexpr std::size_t maximumStyles = 256;

  std::vector<platform::TextAttributes> styles;
  // In text order, not overlapping; shared with later states of the same
  // highlighting.
  std::vector<std::shared_ptr<const Piece>> pieces;
  // Whether every piece is in.
  bool complete = false;

  static StyledRuns from(const platform::AttributedString& text);

  // The index of `attributes` in `styles`, added when new.
  std::uint8_t style(const platform::TextAttributes& attributes);
  // Puts `piece` in its place among the others, in place of those it
  // overlaps.
  void insert(std::shared_ptr<const Piece> piece);

  // Where the last piece ends.
  std::uint32_t end() const { return pieces.empty() ? 0 : pieces.back()->end(); }
  std::size_t spanCount() const;
  // About what the value takes in memory.
  std::size_t byteSize() const;
  // Whether pieces in hand cover all of [start, end).
  bool covers(std::uint32_t start, std::uint32_t end) const;
  // The spans that touch [start, end), clipped to it.
  std::vector<Span> spansBetween(std::uint32_t start, std::uint32_t end) const;
};

}  // namespace wendalore
