#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <map>
#include <string_view>
#include <vector>

#include "Highlighter/StyledTextSink.h"
#include "Platform/Text/AttributedString.h"

// Keeps each piece apart, as it comes, and where it starts; a piece takes
// the place of those it covers.
class PieceSink final : public highlighter::StyledTextSink {
 public:
  void startPiece(std::size_t position) override {
    order.push_back(position);
    start_ = position;
    current_ = {};
  }
  void append(std::u16string_view text, const platform::TextAttributes& attributes) override {
    current_.append(text, attributes);
  }
  void endPiece() override {
    const auto end = start_ + current_.length();
    std::erase_if(pieces_, [&](const auto& piece) { return piece.first >= start_ && piece.first < end; });
    pieces_[start_] = std::move(current_);
  }

  // The pieces in text order, each checked to start where the one before
  // it ends.
  platform::AttributedString whole() const {
    platform::AttributedString result;
    for (const auto& [position, piece] : pieces_) {
      EXPECT_EQ(position, result.length());
      result.append(piece);
    }
    return result;
  }

  std::vector<std::size_t> order;

 private:
  std::map<std::size_t, platform::AttributedString> pieces_;
  std::size_t start_ = 0;
  platform::AttributedString current_;
};
