#pragma once

#include <string_view>
#include <utility>

#include "Platform/Text/AttributedString.h"

namespace highlighter {

// Where highlighted text goes, run by run in text order; neighbouring runs
// may share their attributes.
class StyledTextSink {
 public:
  virtual ~StyledTextSink() = default;
  virtual void append(std::u16string_view text, const platform::TextAttributes& attributes) = 0;
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
