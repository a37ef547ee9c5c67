#pragma once

#include <optional>

#include "Platform/Foundation/UUID.h"

namespace wendalore {

// One text field of the editor's Params and Headers pages: a row's key or
// value field (with the row's id) or one of the two add-row fields.
struct EditorField {
  enum class Kind { key, value, newKey, newValue, headerKey, headerValue, newHeaderKey, newHeaderValue };

  Kind kind;
  // Only the row cases carry one.
  std::optional<platform::UUID> row;

  static EditorField key(platform::UUID id) { return {Kind::key, id}; }
  static EditorField value(platform::UUID id) { return {Kind::value, id}; }
  static EditorField headerKey(platform::UUID id) { return {Kind::headerKey, id}; }
  static EditorField headerValue(platform::UUID id) { return {Kind::headerValue, id}; }
  static EditorField newKey() { return {Kind::newKey, std::nullopt}; }
  static EditorField newValue() { return {Kind::newValue, std::nullopt}; }
  static EditorField newHeaderKey() { return {Kind::newHeaderKey, std::nullopt}; }
  static EditorField newHeaderValue() { return {Kind::newHeaderValue, std::nullopt}; }

  friend bool operator==(const EditorField&, const EditorField&) = default;
};

}  // namespace wendalore
