#include "Wendanet/Source/Core/ErrorText.h"

namespace wendanet {
namespace {

constexpr const char* missingError = "No description.";

}  // namespace

std::string localizedDescriptionOf(const platform::AnyError& error) {
  return error ? error->localizedDescription() : missingError;
}

std::string textualFormOf(const platform::AnyError& error) { return error ? error->description() : missingError; }

}  // namespace wendanet
