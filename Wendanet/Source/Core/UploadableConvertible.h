#pragma once

#include "Wendanet/Source/Core/URLRequestConvertible.h"

namespace wendanet {

class Uploadable;

// Anything an upload request can take its body from.
class UploadableConvertible {
 public:
  virtual ~UploadableConvertible() = default;

  // Throws a platform::Error when no body can be made.
  virtual Uploadable createUploadable() const = 0;
};

// One value that gives an upload both its URL request and its body.
class UploadConvertible : public UploadableConvertible, public URLRequestConvertible {};

}  // namespace wendanet
