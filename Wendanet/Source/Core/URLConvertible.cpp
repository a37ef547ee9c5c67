#include "Wendanet/Source/Core/URLConvertible.h"

#include <memory>

#include "Wendanet/Source/Core/WNError.h"

namespace wendanet {

platform::URL ConvertibleString::asURL() const {
  auto url = platform::URL::string(text_);
  if (!url) throw WNError::invalidURL(std::make_shared<const ConvertibleString>(*this));
  return *std::move(url);
}

platform::URL ConvertibleURLComponents::asURL() const {
  auto url = components_.url();
  if (!url) throw WNError::invalidURL(std::make_shared<const ConvertibleURLComponents>(*this));
  return *std::move(url);
}

}  // namespace wendanet
