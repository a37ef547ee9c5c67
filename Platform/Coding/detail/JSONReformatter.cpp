#include "Platform/Coding/detail/JSONReformatter.h"

#include <algorithm>

#include "Platform/Coding/detail/JSONReader.h"
#include "Platform/Coding/detail/ReformatPass.h"

namespace platform::detail {

namespace {

using Stop = ReformatPass::Stop;

std::unexpected<ReformatFailure> failure(Stop stop) {
  return std::unexpected(stop == Stop::tooLarge ? ReformatFailure::tooLarge : ReformatFailure::unwritable);
}

// Room for what indenting ordinary compact JSON adds, which about doubles
// records; a small text may nest more than its size suggests.
std::size_t directRoom(std::size_t textSize, std::size_t maximumSize) {
  constexpr std::size_t smallText = 4096;
  if (textSize > maximumSize / 3) return maximumSize;
  return std::min(maximumSize, 3 * textSize + smallText);
}

}  // namespace

std::expected<std::string, ReformatFailure> reformatJSON(std::string_view text,
                                                         JSONSerialization::WritingOptions options,
                                                         std::size_t maximumSize) {
  if (options.contains(JSONSerialization::WritingOptions::sortedKeys)) {
    return std::unexpected(ReformatFailure::needsTree);
  }
  if (holdsNUL(text)) return std::unexpected(ReformatFailure::unwritable);
  // Most texts are written in one pass. One that repeats a key, or outgrows
  // its room, is counted first, so that it is written in exactly its size.
  {
    ReformatPass direct(options, ReformatPass::Mode::direct, directRoom(text.size(), maximumSize));
    auto written = direct.run(text);
    if (written) return *std::move(written);
    if (written.error() != Stop::unplanned) return failure(written.error());
  }
  ReformatPlan plan;
  if (auto counted = ReformatPass(options, ReformatPass::Mode::counting, maximumSize, &plan).run(text); !counted) {
    return failure(counted.error());
  }
  auto written = ReformatPass(options, ReformatPass::Mode::planned, plan.textSize, &plan).run(text);
  if (!written) return failure(written.error());
  return *std::move(written);
}

}  // namespace platform::detail
