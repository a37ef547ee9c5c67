#include "Wendalore/Views/History/StyledRuns.h"

#include <algorithm>

namespace wendalore {

StyledRuns StyledRuns::from(const platform::AttributedString& text) {
  StyledRuns result;
  for (const auto& run : text.runs()) {
    auto style = std::ranges::find(result.styles, run.attributes);
    if (style == result.styles.end()) style = result.styles.insert(style, run.attributes);
    const auto index = static_cast<std::uint16_t>(style - result.styles.begin());
    const auto start = static_cast<std::uint32_t>(run.range.location);
    const auto end = static_cast<std::uint32_t>(run.range.end());
    if (!result.spans.empty() && result.spans.back().style == index && result.spans.back().end == start) {
      result.spans.back().end = end;
    } else {
      result.spans.push_back({start, end, index});
    }
  }
  return result;
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
