#pragma once

#include <string>
#include <vector>

#include "Wendalore/History/Waterfall.h"

namespace wendalore {

inline std::vector<std::string> phaseTitles(const Waterfall& waterfall) {
  std::vector<std::string> result;
  for (const auto& phase : waterfall.phases) result.push_back(phase.title);
  return result;
}

}  // namespace wendalore
