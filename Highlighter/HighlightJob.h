#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "Highlighter/HTMLSpanConverter.h"
#include "Highlighter/HighlightBudget.h"
#include "Highlighter/StyledTextSink.h"

namespace highlighter {

class Highlighter;

// One text on its way to styled runs, a piece at a time, within a budget:
// what the budget cannot pay for reaches the sink plain, so the sink always
// gets the whole text. Pieces are cut at the same places whatever order
// they are highlighted in, so that a piece comes out the same every time;
// they go in text order unless some are preferred, and the sink hears where
// each starts. The language the script detects (without one, or for one it
// does not know) in the first piece highlighted holds for the rest. Used on
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

  // The pieces holding the UTF-16 positions [from, to] go next, unless done;
  // the ones after them follow. Replaces what was preferred before.
  void prefer(std::size_t from, std::size_t to);

 private:
  using Clock = std::chrono::steady_clock;

  struct Piece {
    // In code units of the text, and in UTF-16 units.
    std::size_t start;
    std::size_t unitStart;
    bool done = false;
  };

  std::size_t length() const;
  std::size_t pieceLength() const;
  void cutPieces();
  std::size_t pieceEnd(std::size_t index) const;
  std::size_t pieceAt(std::size_t unit) const;
  // Starts the next piece to highlight, if any is left.
  bool startNextPiece();
  std::u16string text(std::size_t end) const;
  // The rest of the text, plain.
  Step finishPlain();
  // `text`, plain, as the current piece up to `end`.
  Step advancePlain(std::u16string_view text, std::size_t end);
  Step advance(std::size_t end);
  // After `highlighted` more code units went through the script.
  void collectGarbage(std::size_t highlighted);

  const Highlighter& highlighter_;
  HTMLSpanConverter converter_;
  Code code_;
  std::optional<std::string> language_;
  StyledTextSink& sink_;
  HighlightBudget budget_;
  std::vector<Piece> pieces_;
  std::size_t piecesLeft_ = 0;
  // Where the search in text order for the next piece starts: after the
  // piece done last.
  std::size_t followOn_ = 0;
  // The piece under way, and the position in it; none between pieces.
  std::optional<std::size_t> current_;
  std::size_t position_ = 0;
  // Preferred pieces still to start, the first last.
  std::vector<std::size_t> preferred_;
  // Code units highlighted since the script's young garbage, and all of
  // it, were last collected.
  std::size_t youngUncollected_ = 0;
  std::size_t oldUncollected_ = 0;
  // In steps, not waiting between them.
  Clock::duration spent_ = Clock::duration::zero();
};

}  // namespace highlighter
