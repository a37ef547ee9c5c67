#pragma once

#include <concepts>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <typeinfo>
#include <vector>

#include "Platform/Coding/JSONValue.h"
#include "Platform/Foundation/Data.h"
#include "Platform/Foundation/NumberText.h"
#include "Platform/Foundation/URL.h"

namespace wendanet {

namespace detail {

std::string quotedText(std::string_view text);
// "<count> bytes".
std::string sizeText(const platform::Data& data);
// The value as compact JSON text.
std::string jsonText(const platform::JSONValue& value);
// The readable name of a type.
std::string typeName(const std::type_info& type);

template <class T>
concept Describable = requires(const T& value) {
  { value.description() } -> std::convertible_to<std::string>;
};

template <class T>
inline constexpr bool isOptional = false;
template <class T>
inline constexpr bool isOptional<std::optional<T>> = true;

template <class T>
inline constexpr bool isSharedPointer = false;
template <class T>
inline constexpr bool isSharedPointer<std::shared_ptr<T>> = true;

template <class T>
inline constexpr bool isVector = false;
template <class T>
inline constexpr bool isVector<std::vector<T>> = true;

}  // namespace detail

// A short, stable text of any value, for the outcome shown in a response's
// descriptions: numbers as the platform prints them, texts quoted, data by
// size, absent values as "None", lists in brackets, values with a
// description() by it, and any other value by its type's name.
template <class T>
std::string valueText(const T& value) {
  if constexpr (std::same_as<T, bool>) {
    return value ? "true" : "false";
  } else if constexpr (std::is_floating_point_v<T>) {
    return platform::numberText(value);
  } else if constexpr (std::is_arithmetic_v<T>) {
    return std::to_string(value);
  } else if constexpr (std::convertible_to<const T&, std::string_view>) {
    return detail::quotedText(value);
  } else if constexpr (std::same_as<T, platform::Data>) {
    return detail::sizeText(value);
  } else if constexpr (std::same_as<T, platform::URL>) {
    return value.absoluteString();
  } else if constexpr (std::same_as<T, platform::JSONValue>) {
    return detail::jsonText(value);
  } else if constexpr (detail::isOptional<T> || detail::isSharedPointer<T>) {
    return value ? valueText(*value) : "None";
  } else if constexpr (detail::isVector<T>) {
    std::string text = "[";
    for (const auto& element : value) {
      if (text.size() > 1) text += ", ";
      text += valueText(element);
    }
    return text + "]";
  } else if constexpr (detail::Describable<T>) {
    return std::string(value.description());
  } else {
    return detail::typeName(typeid(T));
  }
}

}  // namespace wendanet
