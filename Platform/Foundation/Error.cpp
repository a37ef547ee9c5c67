#include "Platform/Foundation/Error.h"

namespace platform {

const char* Error::what() const noexcept {
  thread_local std::string text;
  try {
    text = description();
  } catch (...) {
    text = "error";
  }
  return text.c_str();
}

}  // namespace platform
