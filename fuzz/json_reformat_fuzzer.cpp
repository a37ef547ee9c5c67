// JSON text written again straight from the reader's events must be exactly
// what reading it into a tree and writing the tree gives, objects that
// repeat a key included; where the streaming writer refuses, the tree must
// refuse too.

#include "Platform/Coding/JSONSerialization.h"
#include "Platform/Coding/detail/JSONReformatter.h"
#include "Platform/Coding/detail/JSONWriter.h"
#include "Platform/Foundation/Data.h"
#include "Platform/Foundation/Error.h"
#include "fuzz/FuzzCheck.h"

using namespace platform;
using Options = JSONSerialization::WritingOptions;

namespace {

std::optional<std::string> throughTree(std::string_view text, Options options) {
  try {
    detail::JSONWriter writer(options);
    return writer.writeIfValid(JSONSerialization::jsonObject(Data(text)));
  } catch (const Error&) {
    return std::nullopt;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // The first byte picks the writing options.
  auto options = Options();
  if (data[0] & 1) options = options | Options::prettyPrinted;
  if (data[0] & 2) options = options | Options::withoutEscapingSlashes;
  const auto text = fuzz::text(data + 1, size - 1);
  const auto streamed = detail::reformatJSON(text, options);
  const auto tree = throughTree(text, options);
  if (!streamed) {
    fuzz::require(!tree, "the streaming writer refused a text the tree writes");
    return 0;
  }
  fuzz::require(tree.has_value(), "the streaming writer wrote a text the tree refuses");
  fuzz::require(*tree == *streamed, "the streaming writer wrote other text than the tree");
  return 0;
}
