#include "Wendanet/Source/Support/TypeName.h"

#include <cstddef>
#include <string_view>

#include "Wendanet/Source/Support/ValueText.h"

namespace wendanet {

std::string unqualifiedTypeName(const std::type_info& type) {
  const std::string name = detail::typeName(type);
  // Only a "::" outside template arguments and parentheses (as in
  // "(anonymous namespace)::") separates a qualifier.
  std::size_t start = 0;
  int depth = 0;
  for (std::size_t index = 0; index < name.size(); ++index) {
    const char character = name[index];
    if (character == '<' || character == '(') ++depth;
    if (character == '>' || character == ')') --depth;
    if (depth == 0 && std::string_view(name).substr(index, 2) == "::") start = index + 2;
  }
  return name.substr(start);
}

}  // namespace wendanet
