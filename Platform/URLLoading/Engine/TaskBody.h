#pragma once

#include <variant>

#include "Platform/Foundation/Data.h"
#include "Platform/Foundation/URL.h"

namespace platform {

// Where a task's request body comes from.
struct TaskBody {
  // The request's own body bytes or body stream, if it has either.
  struct FromRequest {};
  // A stream the delegate hands over when asked.
  struct FromDelegate {};
  // Bytes given with the task; a file given by its URL.
  using Source = std::variant<FromRequest, Data, URL, FromDelegate>;

  Source source = FromRequest{};
};

}  // namespace platform
