#include "Wendalore/Views/Shell/StatusLine.h"

namespace wendalore {

StatusLine StatusLine::of(const std::string& responseStatus, const std::optional<std::string>& errorMessage) {
  if (errorMessage) return {*errorMessage, true};
  return {responseStatus, false};
}

}  // namespace wendalore
