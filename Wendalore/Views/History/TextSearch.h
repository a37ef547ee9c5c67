#pragma once

#include <QString>

#include <atomic>
#include <optional>
#include <vector>

namespace wendalore {

class TextLines;

// Literal, case-insensitive search, one line at a time: an occurrence never
// spans two lines.

// The starts of the occurrences of `needle` in `text`, left to right and not
// overlapping; none for an empty needle.
std::vector<qsizetype> occurrences(const QString& text, const QString& needle);

// How often `needle` occurs in all of `lines`; nothing once `cancelled` is
// set. Slow for a large text, so best done off the UI thread.
std::optional<std::size_t> countOccurrences(const TextLines& lines, const QString& needle,
                                            const std::atomic<bool>& cancelled);

}  // namespace wendalore
