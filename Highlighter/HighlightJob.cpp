#include "Highlighter/HighlightJob.h"

#include <algorithm>

#include "Highlighter/Highlighter.h"
#include "Platform/Text/UTF16.h"

namespace highlighter {

namespace {

// Code units highlighted between two collections of the script's garbage,
// which takes a couple of hundred times as many bytes.
constexpr std::size_t collectionInterval = 64 * 1024;

// Whether the unit is not the first of its character, so that no cut goes
// between it and the one before.
bool continuesCharacter(char unit) { return (static_cast<unsigned char>(unit) & 0xC0) == 0x80; }
bool continuesCharacter(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Where the piece from `start` ends: after the last line end that fits, or
// in a line longer than a piece after its last blank or comma, so that as
// few tokens as can be are cut through.
template <class Char>
std::size_t pieceEnd(std::basic_string_view<Char> text, std::size_t start, std::size_t length) {
  if (text.size() - start <= length) return text.size();
  const auto window = text.substr(start, length);
  for (const Char separator : {Char('\n'), Char(' '), Char(',')}) {
    if (const auto found = window.rfind(separator); found != window.npos) return start + found + 1;
  }
  std::size_t end = start + length;
  while (end > start + 1 && continuesCharacter(text[end])) --end;
  return end;
}

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

std::u16string utf16(std::string_view text) { return platform::utf16FromUTF8(text); }
std::u16string utf16(std::u16string_view text) { return std::u16string(text); }

}  // namespace

HighlightJob::HighlightJob(const Highlighter& highlighter, const Theme& theme, Code code,
                           std::optional<std::string> language, StyledTextSink& sink, const HighlightBudget& budget)
    : highlighter_(highlighter),
      converter_(theme),
      code_(code),
      language_(std::move(language)),
      sink_(sink),
      budget_(budget) {}

std::size_t HighlightJob::length() const {
  return std::visit([](const auto& text) { return text.size(); }, code_);
}

std::size_t HighlightJob::pieceLength() const { return std::max<std::size_t>(budget_.pieceLength, 1); }

std::size_t HighlightJob::nextPieceEnd() const {
  return std::visit([&](const auto& text) { return pieceEnd(text, position_, pieceLength()); }, code_);
}

std::u16string HighlightJob::piece(std::size_t end) const {
  return std::visit([&](const auto& text) { return utf16(text.substr(position_, end - position_)); }, code_);
}

HighlightJob::Step HighlightJob::finishPlain() {
  while (position_ < length()) {
    const auto end = nextPieceEnd();
    sink_.append(piece(end), converter_.plainAttributes());
    position_ = end;
  }
  return Step::done;
}

HighlightJob::Step HighlightJob::step(const std::function<bool()>& interrupt) {
  if (length() > budget_.maximumLength || spent_ >= budget_.totalTime) return finishPlain();
  if (position_ == length()) return Step::done;

  const auto started = Clock::now();
  const auto deadline = started + std::min<Clock::duration>(budget_.pieceTime, budget_.totalTime - spent_);
  const auto [end, wordFirst] = std::visit(
      [&](const auto& code) {
        const auto word = longWord(code, position_, nextPieceEnd(), budget_.longestWord);
        if (word != position_) return std::pair(word, false);
        return std::pair(wordEnd(code, position_, position_ + pieceLength()), true);
      },
      code_);
  const std::u16string text = piece(end);
  if (wordFirst) return advancePlain(text, end);

  bool interrupted = false;
  const auto answer = highlighter_.runScript(text, language_, [&] {
    if (interrupt && interrupt()) return interrupted = true;
    return Clock::now() >= deadline;
  });
  spent_ += Clock::now() - started;
  if (interrupted) return Step::interrupted;

  if (answer.stopped) {
    // Without a language every later piece would be guessed at again.
    if (!language_) return finishPlain();
    return advancePlain(text, end);
  }
  if (!answer.html) return Step::failed;
  converter_.convert(*answer.html, sink_);
  // Left to itself the engine lets the garbage of many pieces pile up.
  uncollected_ += end - position_;
  if (uncollected_ >= collectionInterval) {
    highlighter_.hljs_->collectGarbage();
    uncollected_ = 0;
  }
  position_ = end;
  return position_ == length() ? Step::done : Step::more;
}

HighlightJob::Step HighlightJob::advancePlain(std::u16string_view text, std::size_t end) {
  sink_.append(text, converter_.plainAttributes());
  position_ = end;
  return position_ == length() ? Step::done : Step::more;
}

}  // namespace highlighter
