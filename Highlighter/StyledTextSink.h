#pragma once

#include <cstddef>
#include <string_view>
#include <utility>

#include "Platform/Text/AttributedString.h"

namespace highlighter {

// Where highlighted text goes, run by run in text order; neighbouring runs
// may share their attributes. A text highlighted a piece at a time may be
// asked for out of order: each piece is then announced with where it starts
// (in UTF-16 units of the whole text), its runs following in text order.
class StyledTextSink {
 public:
  virtual ~StyledTextSink() = default;
  virtual void append(std::u16string_view text, const platform::TextAttributes& attributes) = 0;
  virtual void startPiece(std::size_t) {}
  // The piece started last has all its runs.
  virtual void endPiece() {}
};

// Gathers the runs into one styled text.
class AttributedStringSink final : public StyledTextSink {
 public:
  void append(std::u16string_view text, const platform::TextAttributes& attributes) override {
    text_.append(text, attributes);
  }
  platform::AttributedString take() { return std::move(text_); }

 private:
  platform::AttributedString text_;
};

}  // namespace highlighter
