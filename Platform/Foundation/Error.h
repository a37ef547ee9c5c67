#pragma once

#include <exception>
#include <memory>
#include <string>

namespace platform {

// Base of every error the platform layer and the libraries above it throw or
// carry as a value.
class Error : public std::exception {
 public:
  ~Error() override = default;

  virtual std::string description() const = 0;
  virtual std::string localizedDescription() const { return description(); }
  virtual std::shared_ptr<const Error> clone() const = 0;

  // The description; valid until the next call on the same thread.
  const char* what() const noexcept override;
};

// Any error held as a value; inspect it with dynamic_cast / errorAs.
using AnyError = std::shared_ptr<const Error>;

// Implements clone() for a concrete error type.
template <class Derived, class Base = Error>
class ErrorBase : public Base {
 public:
  using Base::Base;
  std::shared_ptr<const Error> clone() const override {
    return std::make_shared<const Derived>(static_cast<const Derived&>(*this));
  }
};

template <class E>
AnyError makeError(E error) {
  return std::make_shared<const E>(std::move(error));
}

// The error as `E`, or null when it is something else.
template <class E>
const E* errorAs(const AnyError& error) {
  return dynamic_cast<const E*>(error.get());
}

}  // namespace platform
