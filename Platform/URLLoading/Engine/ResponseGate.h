#pragma once

#include <functional>
#include <mutex>
#include <optional>

#include "Platform/URLLoading/URLSessionDelegate.h"

namespace platform {

// Where the delegate's answer to a response meets the end of a transfer
// that finished while the answer was awaited. The ending runs exactly once,
// on the thread of whichever comes second: an answer that comes after the
// transfer ended ends the task right where it is given, without a trip
// through the engine thread and back.
class ResponseGate {
 public:
  using Ending = std::move_only_function<void(URLSessionResponseDisposition)>;

  // Any thread. True when a parked ending ran with the answer; false when
  // the engine must be told of it.
  bool answer(URLSessionResponseDisposition disposition);
  // Engine thread: parks the ending, or runs it now when the answer is
  // already in.
  void park(Ending ending);
  // Engine thread: takes a parked ending back; none once an answer took it.
  Ending reclaim();

 private:
  std::mutex mutex_;
  std::optional<URLSessionResponseDisposition> answer_;
  Ending ending_;
};

}  // namespace platform
