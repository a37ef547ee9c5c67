#pragma once

#include <concepts>
#include <expected>
#include <memory>
#include <string>
#include <type_traits>
#include <typeinfo>
#include <utility>

#include "Wendanet/Source/Support/ValueText.h"

namespace wendanet {

// A serialized value of any type, for events whose value type is chosen by
// the serializer: the event interface stays one virtual call, and a monitor
// finds the type and the value again. Copies share the one immutable value.
class AnyValue {
 public:
  template <class T>
  requires(!std::same_as<std::remove_cvref_t<T>, AnyValue>) explicit AnyValue(T&& value)
      : value_(std::make_shared<const std::remove_cvref_t<T>>(std::forward<T>(value))),
        type_(&typeid(std::remove_cvref_t<T>)),
        describe_(&describeStored<std::remove_cvref_t<T>>) {}

  const std::type_info& type() const { return *type_; }

  // The value when it is a T; null otherwise.
  template <class T>
  const T* get() const {
    return *type_ == typeid(T) ? static_cast<const T*>(value_.get()) : nullptr;
  }

  // The value's own text (see valueText).
  std::string description() const { return describe_(value_.get()); }

 private:
  template <class T>
  static std::string describeStored(const void* value) {
    return valueText(*static_cast<const T*>(value));
  }

  std::shared_ptr<const void> value_;
  const std::type_info* type_;
  std::string (*describe_)(const void*);
};

// The result with its success value type-erased.
template <class Success, class Failure>
std::expected<AnyValue, Failure> eraseValue(const std::expected<Success, Failure>& result) {
  if (result) return AnyValue(*result);
  return std::unexpected(result.error());
}

}  // namespace wendanet
