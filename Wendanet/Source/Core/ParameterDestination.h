#pragma once

#include <optional>
#include <string>

namespace wendanet {

// Where parameters go: the URL's query or the body.
enum class ParameterDestination {
  // The query for GET, HEAD and DELETE (spelled exactly so), the body for
  // every other method.
  methodDependent,
  queryString,
  httpBody,
};

// Whether parameters for a request with `method` go into the query. A
// request without a method sends them in the body.
bool encodesParametersInURL(ParameterDestination destination, const std::optional<std::string>& method);

}  // namespace wendanet
