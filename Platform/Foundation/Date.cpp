#include "Platform/Foundation/Date.h"

#include <chrono>

namespace platform {

Date Date::now() {
  const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
  return Date{std::chrono::duration<double>(sinceEpoch).count()};
}

}  // namespace platform
