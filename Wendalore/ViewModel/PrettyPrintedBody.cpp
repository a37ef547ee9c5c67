#include "Wendalore/ViewModel/PrettyPrintedBody.h"

#include "Platform/Coding/JSONSerialization.h"
#include "Platform/Coding/detail/JSONReformatter.h"
#include "Platform/Foundation/UTF8.h"

namespace wendalore {

namespace {

// Thrice the body leaves room for the indentation of ordinary JSON, however
// large; the in-memory limit for that of small bodies nested deep. Arrays
// nested hundreds deep grow by hundreds of times, and are not worth holding.
std::size_t largestPrettyText(std::size_t bodySize, std::size_t inMemoryLimit) {
  return inMemoryLimit + 3 * bodySize;
}

}  // namespace

std::string prettyPrintedBody(const std::optional<platform::Data>& body, std::size_t inMemoryLimit) {
  if (!body) return {};
  auto pretty = platform::detail::reformatJSON(body->view(), platform::JSONWritingOptions::prettyPrinted,
                                               largestPrettyText(body->size(), inMemoryLimit));
  if (pretty) return *std::move(pretty);
  return platform::decodeUTF8(body->view()).value_or("Unable to decode data");
}

}  // namespace wendalore
