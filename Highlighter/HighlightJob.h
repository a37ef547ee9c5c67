#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "Highlighter/HTMLSpanConverter.h"
#include "Highlighter/HighlightBudget.h"
#include "Highlighter/HighlightScript.h"
#include "Highlighter/StyledTextSink.h"

namespace highlighter {

class Highlighter;

// One text on its way to styled runs within a budget: what the budget
// cannot pay for reaches the sink plain, so the sink always gets the whole
// text. The text goes to the script whole when the budget allows, else in
// pieces in text order, each starting where the script was outside every
// construct. Pieces asked for ahead of that are highlighted first, on their
// own: their colours are provisional, and the sink hears each piece again
// when its final colours come (a piece announced covers all the pieces
// announced before within it). Pieces are cut at the same places whatever
// the order, so that a piece comes out the same every time. Without a
// language the script detects one in the first text it is given whole or
// as a final piece, and that one holds for the rest. Used on one thread at
// a time; the highlighter, the theme and the text must stay in place
// meanwhile.
class HighlightJob {
 public:
  using Code = std::variant<std::string_view, std::u16string_view>;

  enum class Step {
    // More is left.
    more,
    done,
    // `interrupt` stopped the script; the next step starts its call again.
    interrupted,
    // The script gave no HTML; the sink has part of the text only.
    failed,
  };

  HighlightJob(const Highlighter& highlighter, const Theme& theme, Code code, std::optional<std::string> language,
               StyledTextSink& sink, const HighlightBudget& budget);

  // Highlights the whole text, or the next piece, into the sink.
  // `interrupt`, when given, is asked every few hundredths of a second
  // while the script runs.
  Step step(const std::function<bool()>& interrupt = nullptr);

  // The pieces holding the UTF-16 positions [from, to] go next, unless
  // coloured already. Replaces what was preferred before.
  void prefer(std::size_t from, std::size_t to);

  // Whether the next step gives the script the whole text, which takes long
  // on a long text: a wish for pieces first is worth interrupting it for.
  bool highlightsWholeNext() const;

 private:
  using Clock = std::chrono::steady_clock;

  struct Piece {
    // In code units of the text, and in UTF-16 units.
    std::size_t start;
    std::size_t unitStart;
    // Whether the sink has its colours, final or provisional.
    bool coloured = false;
  };

  // The pieces [first, last) under way.
  struct Stretch {
    std::size_t first;
    std::size_t last;
    bool provisional;
  };

  std::size_t length() const;
  std::size_t pieceLength() const;
  void cutPieces();
  std::size_t pieceEnd(std::size_t index) const;
  std::size_t pieceAt(std::size_t unit) const;
  bool isDone() const { return !wholeLeft_ && front_ == pieces_.size(); }
  Step progress() const { return isDone() ? Step::done : Step::more; }
  Step highlightWhole(const std::function<bool()>& interrupt);
  // Asks the script whether it is inside a string at the next long word.
  Step probeLongWord(const std::function<bool()>& interrupt);
  std::u16string probeText(std::size_t word) const;
  // The script's answer for `text`, within the time one call may take;
  // absent when `interrupt` stopped it.
  std::optional<ScriptAnswer> callScript(std::u16string_view text, std::optional<std::string>& language,
                                         const std::function<bool()>& interrupt);
  // Starts the stretch that goes next: a preferred piece, or the next
  // final one.
  void startStretch();
  Step stepStretch(const std::function<bool()>& interrupt);
  std::u16string text(std::size_t end) const { return text(position_, end); }
  std::u16string text(std::size_t start, std::size_t end) const;
  // The rest of the text, plain.
  Step finishPlain();
  // `text`, plain, up to `end` in the current stretch.
  Step advancePlain(std::u16string_view text, std::size_t end);
  Step advance(std::size_t end);
  // After `highlighted` more code units went through the script.
  void collectGarbage(std::size_t highlighted);

  const Highlighter& highlighter_;
  HTMLSpanConverter converter_;
  Code code_;
  std::optional<std::string> language_;
  // What provisional pieces are highlighted as, so that what they detect
  // never decides the final colours.
  std::optional<std::string> provisionalLanguage_;
  StyledTextSink& sink_;
  HighlightBudget budget_;
  std::vector<Piece> pieces_;
  // Whether the text is still to be given to the script whole.
  bool wholeLeft_;
  // The runs of word characters too long to give the script whole outside
  // a string, as [start, end) in code units, in text order. The script was
  // found inside strings at the first `wordsInStrings_`, going over
  // `probed_` UTF-16 units to find out.
  std::vector<std::pair<std::size_t, std::size_t>> longWords_;
  std::size_t wordsInStrings_ = 0;
  std::size_t probed_ = 0;
  // The first piece without its final colours.
  std::size_t front_ = 0;
  // The stretch under way, and the position in it; none between stretches.
  std::optional<Stretch> current_;
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
