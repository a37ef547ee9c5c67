#pragma once

#include "Platform/URLLoading/URLSessionDataTask.h"

namespace platform {

// A data task whose request body was given with the task: bytes, a file,
// or a stream the delegate is asked for.
class URLSessionUploadTask : public URLSessionDataTask {
 public:
  using URLSessionDataTask::URLSessionDataTask;

 protected:
  std::string_view kindName() const override { return "URLSessionUploadTask"; }
};

}  // namespace platform
