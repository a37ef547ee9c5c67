#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "Wendalore/Views/History/TextLines.h"

namespace wendalore {

// A stretch [start, end) of a text view's text, in its UTF-16 positions.
struct TextSpan {
  std::uint32_t start;
  std::uint32_t end;
};

// The only stretches of a text that a selection takes, in order and apart;
// none: the whole text. Shared, so that a copy built in the background can
// read them.
using TextSpans = std::shared_ptr<const std::vector<TextSpan>>;

// Calls `part` with each piece of [from, to) (in either order) that lies in
// `spans`, in order; an empty span inside counts as an empty piece.
void forEachSpanPart(const TextSpans& spans, std::uint32_t from, std::uint32_t to,
                     const std::function<void(std::uint32_t, std::uint32_t)>& part);

// The text of those pieces, one line each.
QString textWithin(const TextLines& lines, const TextSpans& spans, std::uint32_t from, std::uint32_t to);

}  // namespace wendalore
