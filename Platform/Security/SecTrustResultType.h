#pragma once

#include <cstdint>

namespace platform {

// The outcome of a trust evaluation, numbered as the platform numbers it.
enum class SecTrustResultType : std::uint32_t {
  // Not evaluated yet.
  invalid = 0,
  // Trusted because the user said so.
  proceed = 1,
  // Refused because the user said so.
  deny = 3,
  // Trusted by the anchors, with no explicit setting from the user.
  unspecified = 4,
  // Not trusted, for a reason a changed setting could overcome (unknown
  // anchor, expired certificate, wrong host name).
  recoverableTrustFailure = 5,
  // Not trusted, and no setting can change that (a revoked certificate).
  fatalTrustFailure = 6,
  // The evaluation itself could not be carried out.
  otherError = 7,
};

}  // namespace platform
