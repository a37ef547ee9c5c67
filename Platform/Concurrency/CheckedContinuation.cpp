#include "Platform/Concurrency/CheckedContinuation.h"

#include <fmt/format.h>

#include <cstdio>

#include "Platform/Fatal.h"

namespace platform::detail {

void continuationResumedTwice(const std::string& function) {
  fatal(fmt::format("The continuation of {} was resumed more than once.", function));
}

void continuationDropped(const std::string& function) {
  fmt::print(stderr, "The continuation of {} was dropped without being resumed; its task waits forever.\n", function);
}

}  // namespace platform::detail
