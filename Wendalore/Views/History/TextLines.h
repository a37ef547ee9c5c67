#pragma once

#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace wendalore {

// A UTF-8 text cut into lines for a view that lays out only what it shows.
// A line longer than `maxSegmentBytes` is cut into pieces that count as lines
// of their own, so that no single layout grows with the text. Positions are
// UTF-16 offsets into the whole text (as a QString of it would have them),
// the line feed ending a line counting as one. Immutable once made, so that
// background work may read it.
class TextLines {
 public:
  static constexpr std::size_t maxSegmentBytes = 16 * 1024;
  // Positions are 32 bits wide, as the styled runs' are.
  static constexpr std::size_t maxTextBytes = UINT32_MAX - 1;

  // One empty line.
  TextLines();
  // Indexes `text`; slow for a large text, so best done off the UI thread.
  // Gives up, with nothing, once `cancelled` is set. A text past
  // `maxTextBytes` is replaced by a notice saying so.
  static std::optional<TextLines> index(std::shared_ptr<const std::string> text,
                                        const std::atomic<bool>& cancelled);
  static TextLines index(std::shared_ptr<const std::string> text);

  std::size_t count() const { return starts_.size(); }
  const std::string& bytes() const { return *text_; }
  const std::shared_ptr<const std::string>& shared() const { return text_; }

  // The line's characters without the line feed ending it.
  QString text(std::size_t line) const;
  std::uint32_t start(std::size_t line) const { return starts_[line].unit; }
  std::uint32_t length(std::size_t line) const;
  std::uint32_t end() const { return end_; }
  std::uint32_t longestLength() const { return longest_; }
  // The line holding `position` (a line's end counts as its own).
  std::size_t lineAt(std::uint32_t position) const;
  // The text between two positions, in either order.
  QString between(std::uint32_t from, std::uint32_t to) const;
  // Where the line of the text holding `position` starts and ends, its line
  // feed included: the whole line, however many pieces it was cut into.
  std::pair<std::uint32_t, std::uint32_t> wholeLineAround(std::uint32_t position) const;

 private:
  struct Start {
    std::uint32_t byte;
    std::uint32_t unit;
  };

  bool endsWithLineFeed(std::size_t line) const;
  std::uint32_t byteEnd(std::size_t line) const;
  std::uint32_t byteOf(std::uint32_t position) const;

  std::shared_ptr<const std::string> text_;
  std::vector<Start> starts_;
  std::uint32_t end_ = 0;
  std::uint32_t longest_ = 0;
};

}  // namespace wendalore
