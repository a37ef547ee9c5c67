#pragma once

#include <string_view>

namespace wendanet {

// Facts about the library itself.
struct WNInfo {
  static constexpr std::string_view version = "5.11.0";
};

}  // namespace wendanet
