#include "Wendalore/Views/History/TextSearch.h"

#include "Wendalore/Views/History/TextLines.h"

namespace wendalore {

std::vector<qsizetype> occurrences(const QString& text, const QString& needle) {
  std::vector<qsizetype> found;
  if (needle.isEmpty()) return found;
  for (auto at = text.indexOf(needle, 0, Qt::CaseInsensitive); at >= 0;
       at = text.indexOf(needle, at + needle.size(), Qt::CaseInsensitive)) {
    found.push_back(at);
  }
  return found;
}

std::optional<std::size_t> countOccurrences(const TextLines& lines, const QString& needle,
                                            const std::atomic<bool>& cancelled) {
  std::size_t count = 0;
  if (needle.isEmpty()) return count;
  for (std::size_t line = 0; line < lines.count(); ++line) {
    if (cancelled.load(std::memory_order_relaxed)) return std::nullopt;
    const QString text = lines.text(line);
    for (auto at = text.indexOf(needle, 0, Qt::CaseInsensitive); at >= 0;
         at = text.indexOf(needle, at + needle.size(), Qt::CaseInsensitive)) {
      ++count;
    }
  }
  return count;
}

}  // namespace wendalore
