#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace platform {

// Revocation checking options; a revocation policy takes any combination.
inline constexpr std::uint64_t kSecRevocationOCSPMethod = 1;
inline constexpr std::uint64_t kSecRevocationCRLMethod = 2;
// With both methods, ask for a revocation list before an OCSP responder.
inline constexpr std::uint64_t kSecRevocationPreferCRL = 4;
// A certificate passes only when some method says it is good.
inline constexpr std::uint64_t kSecRevocationRequirePositiveResponse = 8;
// Use only answers fetched before; fetch nothing now.
inline constexpr std::uint64_t kSecRevocationNetworkAccessDisabled = 16;
inline constexpr std::uint64_t kSecRevocationUseAnyAvailableMethod = kSecRevocationOCSPMethod | kSecRevocationCRLMethod;

// One rule a trust evaluation applies. Immutable once made, so one policy
// can serve many trusts on many threads.
class SecPolicy {
 public:
  enum class Kind { ssl, revocation, basicX509 };

  // TLS certificates of a server (or of a client), optionally naming the
  // host the certificate must cover; a host in brackets or with a trailing
  // dot is taken without them.
  static std::shared_ptr<SecPolicy> makeSSL(bool server, std::optional<std::string> hostName = std::nullopt);
  // Revocation checking by the kSecRevocation… flags; null when they name
  // no method or hold bits that mean nothing.
  static std::shared_ptr<SecPolicy> makeRevocation(std::uint64_t flags);
  // The chain alone: signatures, validity dates and anchors.
  static std::shared_ptr<SecPolicy> makeBasicX509();

  Kind kind() const { return kind_; }
  // For SSL policies.
  bool isServer() const { return server_; }
  const std::optional<std::string>& hostName() const { return hostName_; }
  // For revocation policies.
  std::uint64_t revocationFlags() const { return revocationFlags_; }

 private:
  SecPolicy(Kind kind, bool server, std::optional<std::string> hostName, std::uint64_t revocationFlags)
      : kind_(kind), server_(server), hostName_(std::move(hostName)), revocationFlags_(revocationFlags) {}

  Kind kind_;
  bool server_;
  std::optional<std::string> hostName_;
  std::uint64_t revocationFlags_;
};

}  // namespace platform
