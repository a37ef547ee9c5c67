#include "Wendanet/Source/Support/DataPreprocessor.h"

#include <string_view>

namespace wendanet {

platform::Data GoogleXSSIPreprocessor::preprocess(const platform::Data& data) const {
  constexpr std::string_view guard = ")]}',\n";
  if (!data.view().starts_with(guard)) return data;
  return data.subdata(guard.size(), data.size() - guard.size());
}

}  // namespace wendanet
