#include "Platform/URLLoading/URLSessionConfiguration.h"

#include "Platform/Foundation/URLRequest.h"

namespace platform {

std::shared_ptr<URLSessionConfiguration> URLSessionConfiguration::defaultConfiguration() {
  return std::make_shared<URLSessionConfiguration>();
}

std::shared_ptr<URLSessionConfiguration> URLSessionConfiguration::ephemeralConfiguration() {
  auto configuration = std::make_shared<URLSessionConfiguration>();
  configuration->httpCookieStorage_ = HTTPCookieStorage::make();
  configuration->urlCredentialStorage_ = URLCredentialStorage::make();
  configuration->urlCache_ = URLCache::make();
  return configuration;
}

std::shared_ptr<URLSessionConfiguration> URLSessionConfiguration::backgroundConfiguration(std::string identifier) {
  auto configuration = std::make_shared<URLSessionConfiguration>();
  configuration->identifier_ = std::move(identifier);
  return configuration;
}

std::shared_ptr<URLSessionConfiguration> URLSessionConfiguration::copy() const {
  return std::make_shared<URLSessionConfiguration>(*this);
}

double URLSessionConfiguration::effectiveTimeoutInterval(double requestTimeoutInterval) const {
  return requestTimeoutInterval == URLRequest::defaultTimeoutInterval ? timeoutIntervalForRequest_
                                                                      : requestTimeoutInterval;
}

}  // namespace platform
