#include "Wendalore/ViewModel/DiagnosticText.h"

#include <cctype>
#include <type_traits>
#include <typeinfo>
#include <variant>

#include "Wendanet/Source/Core/ErrorText.h"
#include "Wendanet/Source/Support/TypeName.h"

namespace wendalore {

namespace {

// Cases are types named in UpperCamelCase; they read in lowerCamelCase,
// a leading acronym lower-cased whole ("URLRequestX" reads "urlRequestX").
std::string caseName(const std::type_info& type) {
  std::string name = wendanet::unqualifiedTypeName(type);
  const auto isUpper = [](char character) { return std::isupper(static_cast<unsigned char>(character)) != 0; };
  std::size_t leading = 0;
  while (leading < name.size() && isUpper(name[leading])) ++leading;
  const std::size_t lowered = leading > 1 && leading < name.size() ? leading - 1 : leading;
  for (std::size_t index = 0; index < lowered; ++index) {
    name[index] = static_cast<char>(std::tolower(static_cast<unsigned char>(name[index])));
  }
  return name;
}

template <class Reason>
std::string reasonText(const Reason& reason) {
  const auto name = std::visit([](const auto& value) { return caseName(typeid(value)); }, reason.value());
  return name + "(" + reason.reasonDescription() + ")";
}

}  // namespace

std::string diagnosticText(const wendanet::WNError& error) {
  return std::visit(
      [&error](const auto& value) {
        std::string carried;
        if constexpr (requires { value.reason.reasonDescription(); }) {
          carried = reasonText(value.reason);
        } else if constexpr (requires { value.error; }) {
          if (value.error) carried = wendanet::localizedDescriptionOf(value.error);
        } else if constexpr (!std::is_empty_v<std::decay_t<decltype(value)>>) {
          carried = error.errorDescription();
        }
        const auto name = caseName(typeid(value));
        return carried.empty() ? name : name + "(" + carried + ")";
      },
      error.value());
}

}  // namespace wendalore
