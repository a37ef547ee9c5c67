#pragma once

#include "Platform/URLLoading/URLSessionTask.h"

namespace platform {

// A task that hands the response body to its delegate piece by piece.
class URLSessionDataTask : public URLSessionTask {
 public:
  using URLSessionTask::URLSessionTask;

 protected:
  std::string_view kindName() const override { return "URLSessionDataTask"; }
};

}  // namespace platform
