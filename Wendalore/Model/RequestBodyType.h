#pragma once

#include <array>
#include <string_view>
#include <utility>

#include "Wendalore/Model/RawValueEnum.h"

namespace wendalore {

// What a request sends as its body. The raw values are also the texts the
// user picks from.
enum class RequestBodyType { none, formUrlEncoded, rawText, json, multipart };

template <>
struct RawValues<RequestBodyType> {
  static constexpr std::string_view typeName = "RequestBodyType";
  static constexpr std::array cases = {
      std::pair{RequestBodyType::none, std::string_view("No Body")},
      std::pair{RequestBodyType::formUrlEncoded, std::string_view("Form URL Encoded")},
      std::pair{RequestBodyType::rawText, std::string_view("Raw Text")},
      std::pair{RequestBodyType::json, std::string_view("JSON")},
      std::pair{RequestBodyType::multipart, std::string_view("Multipart")},
  };
};

}  // namespace wendalore

template <>
struct platform::CodingTraits<wendalore::RequestBodyType> : wendalore::RawValueCoding<wendalore::RequestBodyType> {};
