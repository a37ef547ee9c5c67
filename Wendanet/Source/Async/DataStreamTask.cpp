#include "Wendanet/Source/Async/DataStreamTask.h"

namespace wendanet {

StreamOf<DataStreamTask::Stream<platform::Data, Never>> DataStreamTask::dataStream(
    bool automaticallyCancelling, BufferingPolicy bufferingPolicy) const {
  using Element = Stream<platform::Data, Never>;
  return makeStream<Element>(
      automaticallyCancelling, bufferingPolicy,
      [](DataStreamRequest& request, auto queue, std::function<void(const Element&)> handler) {
        request.responseStream(std::move(queue), std::move(handler));
      });
}

StreamOf<DataStreamTask::Stream<std::string, Never>> DataStreamTask::stringStream(
    bool automaticallyCancelling, BufferingPolicy bufferingPolicy) const {
  using Element = Stream<std::string, Never>;
  return makeStream<Element>(
      automaticallyCancelling, bufferingPolicy,
      [](DataStreamRequest& request, auto queue, std::function<void(const Element&)> handler) {
        request.responseStreamString(std::move(queue), std::move(handler));
      });
}

}  // namespace wendanet
