#include "Wendalore/Views/History/StyledRuns.h"

#include <algorithm>

namespace wendalore {

StyledRuns StyledRuns::from(const platform::AttributedString& text) {
  StyledRuns result;
  for (const auto& run : text.runs()) {
    result.append(static_cast<std::uint32_t>(run.range.length), result.style(run.attributes));
  }
  return result;
}

std::uint16_t StyledRuns::style(const platform::TextAttributes& attributes) {
  auto found = std::ranges::find(styles, attributes);
  if (found == styles.end()) found = styles.insert(found, attributes);
  return static_cast<std::uint16_t>(found - styles.begin());
}

void StyledRuns::append(std::uint32_t length, std::uint16_t style) {
  if (length == 0) return;
  const std::uint32_t start = spans.empty() ? 0 : spans.back().end;
  if (!spans.empty() && spans.back().style == style) {
    spans.back().end += length;
  } else {
    spans.push_back({start, start + length, style});
  }
}

std::vector<StyledRuns::Span> StyledRuns::spansBetween(std::uint32_t start, std::uint32_t end) const {
  std::vector<Span> result;
  auto span = std::ranges::upper_bound(spans, start, {}, &Span::end);
  for (; span != spans.end() && span->start < end; ++span) {
    result.push_back({std::max(span->start, start), std::min(span->end, end), span->style});
  }
  return result;
}

}  // namespace wendalore
