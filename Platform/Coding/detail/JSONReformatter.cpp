#include "Platform/Coding/detail/JSONReformatter.h"

#include <algorithm>

#include "Platform/Coding/detail/JSONReader.h"
#include "Platform/Coding/detail/ReformatPass.h"

namespace platform::detail {

namespace {

using Stop = ReformatPass::Stop;

std::expected<std::string, ReformatFailure> reported(std::expected<std::string, Stop> written) {
  if (written) return *std::move(written);
  return std::unexpected(written.error() == Stop::tooLarge ? ReformatFailure::tooLarge : ReformatFailure::unwritable);
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
  // Most texts are written in one pass. One that may repeat a key, or
  // outgrows its room, is counted, then written again in exactly its size.
  if (auto written = ReformatPass::direct(options, directRoom(text.size(), maximumSize)).run(text);
      written || written.error() != Stop::needsPlan) {
    return reported(std::move(written));
  }
  ReformatPlan plan;
  if (auto counted = ReformatPass::counting(options, maximumSize, plan).run(text); counted.error() != Stop::counted) {
    return reported(std::move(counted));
  }
  return reported(ReformatPass::planned(options, plan).run(text));
}

}  // namespace platform::detail
