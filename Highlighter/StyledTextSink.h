#pragma once

#include <cstddef>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "Platform/Text/AttributedString.h"

namespace highlighter {

// Where highlighted text goes, run by run in text order; neighbouring runs
// may share their attributes. A text highlighted a piece at a time may be
// asked for out of order: each piece is then announced with where it starts
// (in UTF-16 units of the whole text), its runs following in text order.
// The highlighter hands over the same few attributes, each from one place
// that stays put and unchanged while the sink takes runs, so a sink may
// know them by their address.
class StyledTextSink {
 public:
  virtual ~StyledTextSink() = default;
  virtual void append(std::u16string_view text, const platform::TextAttributes& attributes) = 0;
  virtual void startPiece(std::size_t) {}
  // The piece started last has all its runs.
  virtual void endPiece() {}
};

// Gathers the runs into one styled text, its runs sharing one copy of each
// of the attributes.
class AttributedStringSink final : public StyledTextSink {
 public:
  void append(std::u16string_view text, const platform::TextAttributes& attributes) override {
    if (&attributes != lastGiven_) {
      auto [known, added] = shared_.try_emplace(&attributes);
      if (added) known->second = std::make_shared<const platform::TextAttributes>(attributes);
      lastGiven_ = &attributes;
      last_ = known->second;
    }
    text_.append(text, last_);
  }
  platform::AttributedString take() { return std::move(text_); }

 private:
  platform::AttributedString text_;
  std::unordered_map<const platform::TextAttributes*, std::shared_ptr<const platform::TextAttributes>> shared_;
  const platform::TextAttributes* lastGiven_ = nullptr;
  std::shared_ptr<const platform::TextAttributes> last_;
};

}  // namespace highlighter
