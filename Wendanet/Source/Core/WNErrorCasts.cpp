#include "Wendanet/Source/Core/WNErrorCasts.h"

#include <fmt/format.h>

#include "Platform/Fatal.h"

namespace wendanet {

std::optional<WNError> castToWNError(const platform::Error& error) {
  const auto* wnError = dynamic_cast<const WNError*>(&error);
  return wnError ? std::optional(*wnError) : std::nullopt;
}

std::optional<WNError> castToWNError(const platform::AnyError& error) {
  return error ? castToWNError(*error) : std::nullopt;
}

void failWNErrorCast(std::string_view message, const std::source_location& location) {
  platform::fatal(fmt::format("Fatal error: {}: file {}, line {}", message, location.file_name(), location.line()));
}

}  // namespace wendanet
