#include "Platform/Foundation/Random.h"

#include <sys/random.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "Platform/Fatal.h"

namespace platform {

std::uint32_t randomUInt32() {
  std::uint32_t value = 0;
  auto* next = reinterpret_cast<unsigned char*>(&value);
  std::size_t missing = sizeof value;
  while (missing > 0) {
    ssize_t count = getrandom(next, missing, 0);
    if (count < 0) {
      if (errno == EINTR) continue;
      // Without a random source, boundaries and identifiers could collide
      // or be guessed; going on would be unsafe.
      fatal(std::string("The operating system's random source failed: ") + std::strerror(errno));
    }
    next += count;
    missing -= static_cast<std::size_t>(count);
  }
  return value;
}

}  // namespace platform
