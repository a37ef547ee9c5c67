#include "Wendalore/Views/History/TextSpans.h"

#include <algorithm>
#include <utility>

namespace wendalore {

void forEachSpanPart(const TextSpans& spans, std::uint32_t from, std::uint32_t to,
                     const std::function<void(std::uint32_t, std::uint32_t)>& part) {
  if (to < from) std::swap(from, to);
  if (!spans) {
    if (from < to) part(from, to);
    return;
  }
  for (auto span = std::ranges::lower_bound(*spans, from, {}, &TextSpan::end); span != spans->end(); ++span) {
    if (span->start >= to) break;
    const auto first = std::max(from, span->start);
    const auto last = std::min(to, span->end);
    if (first < last || span->start == span->end) part(first, last);
  }
}

QString textWithin(const TextLines& lines, const TextSpans& spans, std::uint32_t from, std::uint32_t to) {
  if (!spans) return lines.between(from, to);
  QString text;
  bool first = true;
  forEachSpanPart(spans, from, to, [&](std::uint32_t start, std::uint32_t end) {
    if (!first) text += QLatin1Char('\n');
    first = false;
    text += lines.between(start, end);
  });
  return text;
}

}  // namespace wendalore
