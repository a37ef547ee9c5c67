#include "Platform/Streams/StreamError.h"

namespace platform {

std::string StreamError::description() const {
  switch (code_) {
    case Code::notOpen:
      return "The stream is not open.";
    case Code::readerClosed:
      return "The reading side of the bound stream pair has been closed.";
  }
  return "The stream failed.";
}

}  // namespace platform
