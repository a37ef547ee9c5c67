#include "Wendanet/Source/Core/HTTPHeader.h"

#include "Platform/Foundation/Base64.h"
#include "Wendanet/Source/Core/HashCombine.h"

namespace wendanet {

std::string HTTPHeader::makeDescription() const { return name_ + ": " + value_; }

HTTPHeader HTTPHeader::basicAuthorization(std::string_view username, std::string_view password) {
  std::string credential(username);
  credential += ':';
  credential += password;
  return authorization("Basic " + platform::base64Encode(credential));
}

HTTPHeader HTTPHeader::bearerAuthorization(std::string_view bearerToken) {
  return authorization("Bearer " + std::string(bearerToken));
}

}  // namespace wendanet

std::size_t std::hash<wendanet::HTTPHeader>::operator()(const wendanet::HTTPHeader& header) const {
  std::size_t seed = 0;
  wendanet::hashCombine(seed, header.name());
  wendanet::hashCombine(seed, header.value());
  return seed;
}
