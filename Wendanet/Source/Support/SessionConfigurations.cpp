#include "Wendanet/Source/Support/SessionConfigurations.h"

#include "Wendanet/Source/Core/HTTPHeaders.h"

namespace wendanet {

namespace {

std::shared_ptr<platform::URLSessionConfiguration> withDefaultHeaders(
    std::shared_ptr<platform::URLSessionConfiguration> configuration) {
  setHeaders(*configuration, HTTPHeaders::defaultHeaders());
  return configuration;
}

}  // namespace

std::shared_ptr<platform::URLSessionConfiguration> SessionConfigurations::makeDefault() {
  return withDefaultHeaders(platform::URLSessionConfiguration::defaultConfiguration());
}

std::shared_ptr<platform::URLSessionConfiguration> SessionConfigurations::makeEphemeral() {
  return withDefaultHeaders(platform::URLSessionConfiguration::ephemeralConfiguration());
}

}  // namespace wendanet
