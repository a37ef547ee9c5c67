#include "Highlighter/HighlightJob.h"

#include <algorithm>

#include "Highlighter/Highlighter.h"
#include "Platform/Text/UTF16.h"

namespace highlighter {

namespace {

// Code units highlighted between two collections of the script's garbage,
// which takes a couple of hundred times as many bytes. Left to itself the
// engine lets the garbage of many pieces pile up, by a body's size and more
// on a large text. Most of a piece's garbage is still young when it ends,
// and collecting only that is cheap; the rest, grown old while the piece
// ran, goes every other piece.
constexpr std::size_t youngCollectionInterval = 16 * 1024;
constexpr std::size_t fullCollectionInterval = 2 * youngCollectionInterval;

// How far into a long word the script is asked where it is: past whatever
// a construct's start takes of it, so that the script is then in the mode
// that goes over the rest.
constexpr std::size_t probeLength = 64;

// Whether the unit is not the first of its character, so that no cut goes
// between it and the one before.
bool continuesCharacter(char unit) { return (static_cast<unsigned char>(unit) & 0xC0) == 0x80; }
bool continuesCharacter(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Walks a text once, from its start, to say where its pieces end: after
// the last line end before a cut, or in a longer line after its last blank
// or comma outside a double-quoted string, so that as few tokens as can be
// are cut through and no string is cut open (its rest would colour the
// next piece inside out). It depends on nothing but the text, so that a
// piece is the same whichever order the pieces are highlighted in.
template <class Char>
class PieceCutter {
 public:
  explicit PieceCutter(std::basic_string_view<Char> text) : text_(text) {}

  // The cut nearest before `at`, in the `reach` units before it; asked for
  // in text order.
  std::size_t cut(std::size_t at, std::size_t reach) {
    for (; scanned_ < at; ++scanned_) see(text_[scanned_], scanned_ + 1);
    const std::size_t from = at - reach;
    for (const auto after : {lineEnd_, blankOutside_, commaOutside_, blank_, comma_}) {
      if (after > from) return after;
    }
    std::size_t end = at;
    while (end > from + 1 && continuesCharacter(text_[end])) --end;
    return end;
  }

 private:
  // Takes in the unit before `after`.
  void see(Char unit, std::size_t after) {
    if (unit == Char('\n')) {
      lineEnd_ = after;
      inString_ = escaped_ = false;
    } else if (escaped_) {
      escaped_ = false;
    } else if (inString_ && unit == Char('\\')) {
      escaped_ = true;
    } else if (unit == Char('"')) {
      inString_ = !inString_;
    } else if (unit == Char(' ')) {
      blank_ = after;
      if (!inString_) blankOutside_ = after;
    } else if (unit == Char(',')) {
      comma_ = after;
      if (!inString_) commaOutside_ = after;
    }
  }

  std::basic_string_view<Char> text_;
  std::size_t scanned_ = 0;
  bool inString_ = false;
  bool escaped_ = false;
  // Just after the last of each seen.
  std::size_t lineEnd_ = 0, blankOutside_ = 0, commaOutside_ = 0, blank_ = 0, comma_ = 0;
};

bool isWordCharacter(char16_t unit) {
  return (unit >= u'a' && unit <= u'z') || (unit >= u'A' && unit <= u'Z') || (unit >= u'0' && unit <= u'9') ||
         unit == u'_' || unit == u'$';
}

// The start of the first run of word characters longer than `longest` in
// [start, end), or where it ends when the run reaches past it; `end` when
// there is none. Such runs start and end at ASCII characters, never inside
// another character.
template <class Char>
std::size_t longWord(std::basic_string_view<Char> text, std::size_t start, std::size_t end, std::size_t longest) {
  std::size_t runStart = start;
  for (std::size_t index = start; index < text.size(); ++index) {
    if (!isWordCharacter(static_cast<char16_t>(text[index]))) {
      if (index >= end) return end;
      runStart = index + 1;
    } else if (index - runStart >= longest) {
      return std::min(runStart, end);
    }
  }
  return end;
}

// Where the run of word characters from `start` ends, or `limit` if sooner.
template <class Char>
std::size_t wordEnd(std::basic_string_view<Char> text, std::size_t start, std::size_t limit) {
  std::size_t end = start;
  while (end < std::min(text.size(), limit) && isWordCharacter(static_cast<char16_t>(text[end]))) ++end;
  return end;
}

// The runs of word characters longer than `longest`, as [start, end).
template <class Char>
std::vector<std::pair<std::size_t, std::size_t>> longWords(std::basic_string_view<Char> text, std::size_t longest) {
  std::vector<std::pair<std::size_t, std::size_t>> words;
  for (auto start = longWord(text, 0, text.size(), longest); start < text.size();) {
    const auto end = wordEnd(text, start, text.size());
    words.emplace_back(start, end);
    start = longWord(text, end, text.size(), longest);
  }
  return words;
}

std::u16string utf16(std::string_view text) { return platform::utf16FromUTF8(text); }
std::u16string utf16(std::u16string_view text) { return std::u16string(text); }

std::size_t unitLength(std::string_view text) {
  if (std::ranges::all_of(text, [](char unit) { return static_cast<unsigned char>(unit) < 0x80; })) return text.size();
  return utf16(text).size();
}
std::size_t unitLength(std::u16string_view text) { return text.size(); }

}  // namespace

HighlightJob::HighlightJob(const Highlighter& highlighter, const Theme& theme, Code code,
                           std::optional<std::string> language, StyledTextSink& sink, const HighlightBudget& budget)
    : highlighter_(highlighter),
      converter_(theme),
      code_(code),
      language_(std::move(language)),
      provisionalLanguage_(language_),
      sink_(sink),
      budget_(budget) {
  cutPieces();
  wholeLeft_ = length() <= budget_.wholeLength;
  if (!wholeLeft_) return;
  longWords_ = std::visit([&](const auto& text) { return longWords(text, budget_.longestWholeWord); }, code_);
  // Every language the script guesses among would go over the words, each
  // in a mode of its own.
  if (!language_ && !longWords_.empty()) wholeLeft_ = false;
}

std::size_t HighlightJob::length() const {
  return std::visit([](const auto& text) { return text.size(); }, code_);
}

std::size_t HighlightJob::pieceLength() const { return std::max<std::size_t>(budget_.pieceLength, 1); }

void HighlightJob::cutPieces() {
  std::visit(
      [&](const auto& text) {
        PieceCutter cutter(text);
        std::size_t start = 0, unitStart = 0, at = 0;
        for (;;) {
          pieces_.push_back({start, unitStart});
          if (text.size() - at <= pieceLength()) break;
          at += pieceLength();
          const auto end = cutter.cut(at, pieceLength() / 2);
          unitStart += unitLength(text.substr(start, end - start));
          start = end;
        }
      },
      code_);
}

std::size_t HighlightJob::pieceEnd(std::size_t index) const {
  return index + 1 < pieces_.size() ? pieces_[index + 1].start : length();
}

std::size_t HighlightJob::pieceAt(std::size_t unit) const {
  const auto after = std::ranges::upper_bound(pieces_, unit, {}, &Piece::unitStart);
  return static_cast<std::size_t>(after - pieces_.begin()) - 1;
}

void HighlightJob::prefer(std::size_t from, std::size_t to) {
  preferred_.clear();
  const auto first = pieceAt(from);
  for (auto index = pieceAt(std::max(from, to)) + 1; index-- > first;) {
    if (!pieces_[index].coloured) preferred_.push_back(index);
  }
}

bool HighlightJob::highlightsWholeNext() const {
  return !current_ && wholeLeft_ && std::ranges::all_of(preferred_, [&](auto index) { return pieces_[index].coloured; });
}

void HighlightJob::startStretch() {
  std::optional<std::size_t> next;
  while (!next && !preferred_.empty()) {
    if (!pieces_[preferred_.back()].coloured) next = preferred_.back();
    preferred_.pop_back();
  }
  // The piece at the front is as quick to colour for good.
  const bool provisional = next && (wholeLeft_ || *next != front_);
  const auto first = provisional ? *next : front_;
  current_ = Stretch{first, first + 1, provisional};
  position_ = pieces_[first].start;
  sink_.startPiece(pieces_[first].unitStart);
}

std::u16string HighlightJob::text(std::size_t start, std::size_t end) const {
  return std::visit([&](const auto& text) { return utf16(text.substr(start, end - start)); }, code_);
}

HighlightJob::Step HighlightJob::finishPlain() {
  wholeLeft_ = false;
  preferred_.clear();
  while (!isDone()) {
    if (!current_) startStretch();
    const auto end = pieceEnd(current_->last - 1);
    advancePlain(text(end), end);
  }
  return Step::done;
}

HighlightJob::Step HighlightJob::step(const std::function<bool()>& interrupt) {
  if (length() > budget_.maximumLength || spent_ >= budget_.totalTime) return finishPlain();
  if (isDone()) return Step::done;
  if (highlightsWholeNext()) {
    return wordsInStrings_ < longWords_.size() ? probeLongWord(interrupt) : highlightWhole(interrupt);
  }
  if (!current_) startStretch();
  return stepStretch(interrupt);
}

std::optional<ScriptAnswer> HighlightJob::callScript(std::u16string_view text, std::optional<std::string>& language,
                                                    const std::function<bool()>& interrupt) {
  const auto started = Clock::now();
  const auto deadline = started + std::min<Clock::duration>(budget_.pieceTime, budget_.totalTime - spent_);
  bool interrupted = false;
  auto answer = highlighter_.runScript(text, language, [&] {
    if (interrupt && interrupt()) return interrupted = true;
    return Clock::now() >= deadline;
  });
  spent_ += Clock::now() - started;
  if (interrupted) return std::nullopt;
  return answer;
}

std::u16string HighlightJob::probeText(std::size_t word) const {
  // The words before were found inside strings, where the script goes
  // over a shorter run alike: cut to as much as was asked about, they cost
  // nothing again.
  std::u16string probe;
  std::size_t from = 0;
  for (std::size_t index = 0; index <= word; ++index) {
    const auto [start, end] = longWords_[index];
    probe += text(from, std::min(start + probeLength, end));
    from = end;
  }
  return probe;
}

HighlightJob::Step HighlightJob::probeLongWord(const std::function<bool()>& interrupt) {
  const std::u16string probe = probeText(wordsInStrings_);
  // Finding out may cost no more than about the whole call it is for.
  if (probed_ + probe.size() > length()) {
    wholeLeft_ = false;
    return Step::more;
  }
  auto language = language_;
  const auto answer = callScript(probe, language, interrupt);
  if (!answer) return Step::interrupted;
  probed_ += probe.size();
  // A language the script does not know is guessed at, over the words too.
  if (answer->stopped || !answer->html || !answer->inString || language != language_) {
    wholeLeft_ = false;
  } else {
    ++wordsInStrings_;
  }
  return Step::more;
}

HighlightJob::Step HighlightJob::highlightWhole(const std::function<bool()>& interrupt) {
  position_ = 0;
  const auto answer = callScript(text(length()), language_, interrupt);
  if (!answer) return Step::interrupted;
  wholeLeft_ = false;
  // Too long for the script in one call: in pieces, then.
  if (answer->stopped) return Step::more;
  if (!answer->html) return Step::failed;
  sink_.startPiece(0);
  converter_.convert(answer->html->view(), sink_);
  sink_.endPiece();
  front_ = pieces_.size();
  highlighter_.hljs_->collectGarbage(HighlightScript::Garbage::all);
  return Step::done;
}

HighlightJob::Step HighlightJob::stepStretch(const std::function<bool()>& interrupt) {
  auto& stretch = *current_;
  const auto stretchEnd = pieceEnd(stretch.last - 1);
  if (position_ == stretchEnd) return advance(stretchEnd);

  const auto [end, wordFirst] = std::visit(
      [&](const auto& code) {
        const auto word = longWord(code, position_, stretchEnd, budget_.longestWord);
        if (word != position_) return std::pair(word, false);
        return std::pair(wordEnd(code, position_, stretchEnd), true);
      },
      code_);
  const std::u16string text = this->text(end);
  if (wordFirst) return advancePlain(text, end);

  auto& language = stretch.provisional ? provisionalLanguage_ : language_;
  const auto answer = callScript(text, language, interrupt);
  if (!answer) return Step::interrupted;

  if (answer->stopped) {
    // Without a language every later piece would be guessed at again.
    if (!language && !stretch.provisional) return finishPlain();
    return advancePlain(text, end);
  }
  if (!answer->html) return Step::failed;
  const bool cutInside = !stretch.provisional && end == stretchEnd && !answer->topLevel;
  const auto longest = std::min(pieces_.size() - stretch.first, std::max<std::size_t>(budget_.longestConstruct, 1));
  if (cutInside && stretch.last - stretch.first < longest) {
    // The next piece would start inside the construct and colour its rest
    // as something else: this stretch takes in as many pieces again, so
    // that a long construct costs at most twice its length.
    stretch.last = stretch.first + std::min(2 * (stretch.last - stretch.first), longest);
    return Step::more;
  }
  converter_.convert(answer->html->view(), sink_);
  collectGarbage(end - position_);
  return advance(end);
}

void HighlightJob::collectGarbage(std::size_t highlighted) {
  youngUncollected_ += highlighted;
  oldUncollected_ += highlighted;
  if (oldUncollected_ >= fullCollectionInterval) {
    highlighter_.hljs_->collectGarbage(HighlightScript::Garbage::all);
    youngUncollected_ = oldUncollected_ = 0;
  } else if (youngUncollected_ >= youngCollectionInterval) {
    highlighter_.hljs_->collectGarbage(HighlightScript::Garbage::young);
    youngUncollected_ = 0;
  }
}

HighlightJob::Step HighlightJob::advancePlain(std::u16string_view text, std::size_t end) {
  sink_.append(text, converter_.plainAttributes());
  return advance(end);
}

HighlightJob::Step HighlightJob::advance(std::size_t end) {
  position_ = end;
  const auto stretch = *current_;
  if (position_ == pieceEnd(stretch.last - 1)) {
    for (auto index = stretch.first; index < stretch.last; ++index) pieces_[index].coloured = true;
    if (!stretch.provisional) front_ = stretch.last;
    current_.reset();
    sink_.endPiece();
  }
  return progress();
}

}  // namespace highlighter
