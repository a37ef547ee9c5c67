#pragma once

#include <cstdint>

namespace platform {

// The status code of a security call: zero for success, a negative code
// naming the failure otherwise.
using OSStatus = std::int32_t;

inline constexpr OSStatus errSecSuccess = 0;
// An argument was missing or not usable.
inline constexpr OSStatus errSecParam = -50;
// Memory or another resource could not be had.
inline constexpr OSStatus errSecAllocate = -108;
// Something inside the security layer failed.
inline constexpr OSStatus errSecInternalComponent = -2070;
// The certificate's host names do not cover the host.
inline constexpr OSStatus errSecHostNameMismatch = -67602;
// Revocation was required but no method gave an answer.
inline constexpr OSStatus errSecIncompleteCertRevocationCheck = -67635;
inline constexpr OSStatus errSecCertificateExpired = -67818;
inline constexpr OSStatus errSecCertificateNotValidYet = -67819;
inline constexpr OSStatus errSecCertificateRevoked = -67820;
// The chain does not lead to a trusted anchor, or is broken in another way.
inline constexpr OSStatus errSecNotTrusted = -67843;

}  // namespace platform
