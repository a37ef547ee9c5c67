#pragma once

#include <string>

#include "Platform/Foundation/Error.h"

namespace platform {

// Why a download could not go on from the resume data it was given: data
// this system did not make, data that is damaged, or a partial file that
// is no longer what the data describes.
class ResumeDataError : public ErrorBase<ResumeDataError> {
 public:
  explicit ResumeDataError(std::string reason) : reason_(std::move(reason)) {}

  const std::string& reason() const { return reason_; }
  std::string description() const override { return "The download cannot be resumed: " + reason_; }

 private:
  std::string reason_;
};

}  // namespace platform
