#pragma once

#include <memory>

#include "Platform/URLLoading/URLSessionConfiguration.h"
#include "Wendanet/Source/Support/WendanetExtension.h"

namespace wendanet {

template <>
inline constexpr bool isWendanetExtended<std::shared_ptr<platform::URLSessionConfiguration>> = true;

// The library's session configurations: the platform's, with the library's
// default headers as additional headers (replacing any the platform set).
// Each call makes a new configuration the caller may change freely.
template <>
class WendanetExtension<std::shared_ptr<platform::URLSessionConfiguration>> {
 public:
  explicit WendanetExtension(std::shared_ptr<platform::URLSessionConfiguration> type) : type_(std::move(type)) {}
  const std::shared_ptr<platform::URLSessionConfiguration>& type() const { return type_; }

  static std::shared_ptr<platform::URLSessionConfiguration> makeDefault();
  static std::shared_ptr<platform::URLSessionConfiguration> makeEphemeral();

 private:
  std::shared_ptr<platform::URLSessionConfiguration> type_;
};

using SessionConfigurations = WendanetExtension<std::shared_ptr<platform::URLSessionConfiguration>>;

}  // namespace wendanet
