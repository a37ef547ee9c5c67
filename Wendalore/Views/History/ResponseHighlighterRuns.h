#pragma once

#include <unordered_map>

#include "Highlighter/StyledTextSink.h"
#include "Wendalore/Views/History/StyledRuns.h"

namespace wendalore {

// Takes the highlighter's runs straight into the compact form the response
// view paints, never holding the styled text itself: a large body has a run
// per token.
class StyledRunsSink final : public highlighter::StyledTextSink {
 public:
  void append(std::u16string_view text, const platform::TextAttributes& attributes) override {
    auto [known, added] = styles_.try_emplace(&attributes);
    if (added) known->second = runs_.style(attributes);
    runs_.append(static_cast<std::uint32_t>(text.size()), known->second);
  }

  StyledRuns take() { return std::move(runs_); }

 private:
  StyledRuns runs_;
  // The highlighter hands over the same few attributes, each in one place.
  std::unordered_map<const platform::TextAttributes*, std::uint16_t> styles_;
};

}  // namespace wendalore
