#pragma once

#include <optional>
#include <string>

namespace wendalore {

// What the window's status bar says about the latest send. A failure
// outranks the status text: after a refused connection the status still
// reads "Sending...", and after "Invalid URL" it still names the send
// before, so either alone would mislead.
struct StatusLine {
  std::string text;
  bool isError = false;

  static StatusLine of(const std::string& responseStatus, const std::optional<std::string>& errorMessage);

  bool operator==(const StatusLine&) const = default;
};

}  // namespace wendalore
