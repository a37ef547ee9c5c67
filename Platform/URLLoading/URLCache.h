#pragma once

#include <memory>

namespace platform {

// Responses kept for reuse. The process-wide cache is what the default configuration uses; an ephemeral configuration
// gets one of its own, in memory.
class URLCache {
 public:
  static std::shared_ptr<URLCache> make() { return std::make_shared<URLCache>(); }
  static const std::shared_ptr<URLCache>& shared();
};

}  // namespace platform
