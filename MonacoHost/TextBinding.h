#pragma once

#include <functional>
#include <string>

namespace monacohost {

// Two-way access to a text kept elsewhere, such as a stored request's body.
struct TextBinding {
  std::function<std::string()> get;
  std::function<void(std::string)> set;
};

}  // namespace monacohost
