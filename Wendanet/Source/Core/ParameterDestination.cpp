#include "Wendanet/Source/Core/ParameterDestination.h"

namespace wendanet {

bool encodesParametersInURL(ParameterDestination destination, const std::optional<std::string>& method) {
  if (!method) return false;
  switch (destination) {
    case ParameterDestination::methodDependent:
      return *method == "GET" || *method == "HEAD" || *method == "DELETE";
    case ParameterDestination::queryString:
      return true;
    case ParameterDestination::httpBody:
      return false;
  }
  return false;
}

}  // namespace wendanet
