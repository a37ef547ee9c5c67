#pragma once

#include <array>
#include <string_view>
#include <utility>

#include "Wendalore/Model/RawValueEnum.h"

namespace wendalore {

// How a request authorises itself. The raw values are also the texts the
// user picks from.
enum class RequestAuthType { none, basic, bearer };

template <>
struct RawValues<RequestAuthType> {
  static constexpr std::string_view typeName = "RequestAuthType";
  static constexpr std::array cases = {
      std::pair{RequestAuthType::none, std::string_view("None")},
      std::pair{RequestAuthType::basic, std::string_view("Basic Auth")},
      std::pair{RequestAuthType::bearer, std::string_view("Bearer Token")},
  };
};

}  // namespace wendalore

template <>
struct platform::CodingTraits<wendalore::RequestAuthType> : wendalore::RawValueCoding<wendalore::RequestAuthType> {};
