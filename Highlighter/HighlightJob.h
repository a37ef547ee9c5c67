#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "Highlighter/HTMLSpanConverter.h"
#include "Highlighter/HighlightBudget.h"
#include "Highlighter/StyledTextSink.h"

namespace highlighter {

class Highlighter;

// One text on its way to styled runs, a piece at a time, within a budget:
// what the budget cannot pay for reaches the sink plain, so the sink always
// gets the whole text. The language the script detects (without one, or
// for one it does not know) in the first piece holds for the rest. Used on
// one thread at a time; the highlighter, the theme and the text must stay
// in place meanwhile.
class HighlightJob {
 public:
  using Code = std::variant<std::string_view, std::u16string_view>;

  enum class Step {
    // Another piece is left.
    more,
    done,
    // `interrupt` stopped the piece; the next step starts it again.
    interrupted,
    // The script gave no HTML; the sink has part of the text only.
    failed,
  };

  HighlightJob(const Highlighter& highlighter, const Theme& theme, Code code, std::optional<std::string> language,
               StyledTextSink& sink, const HighlightBudget& budget);

  // Highlights the next piece into the sink. `interrupt`, when given, is
  // asked every few hundredths of a second while the script runs.
  Step step(const std::function<bool()>& interrupt = nullptr);

 private:
  using Clock = std::chrono::steady_clock;

  std::size_t length() const;
  std::size_t pieceLength() const;
  std::size_t nextPieceEnd() const;
  std::u16string piece(std::size_t end) const;
  // The rest of the text, plain.
  Step finishPlain();
  // `text`, plain, as the piece up to `end`.
  Step advancePlain(std::u16string_view text, std::size_t end);

  const Highlighter& highlighter_;
  HTMLSpanConverter converter_;
  Code code_;
  std::optional<std::string> language_;
  StyledTextSink& sink_;
  HighlightBudget budget_;
  std::size_t position_ = 0;
  std::size_t uncollected_ = 0;
  // In steps, not waiting between them.
  Clock::duration spent_ = Clock::duration::zero();
};

}  // namespace highlighter
