#pragma once

#include <string>

#include "Platform/Foundation/Error.h"

namespace wendanet::testing {

// A foreign error whose textual form and localized description differ, so
// messages show which of the two they use.
class TestError : public platform::ErrorBase<TestError> {
 public:
  explicit TestError(int code = 7) : code_(code) {}
  int code() const { return code_; }
  std::string description() const override { return "TestError(code: " + std::to_string(code_) + ")"; }
  std::string localizedDescription() const override { return "Something went wrong."; }

 private:
  int code_;
};

inline platform::AnyError testError(int code = 7) { return platform::makeError(TestError(code)); }

}  // namespace wendanet::testing
