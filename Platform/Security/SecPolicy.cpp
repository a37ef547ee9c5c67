#include "Platform/Security/SecPolicy.h"

namespace platform {

namespace {

constexpr std::uint64_t knownRevocationFlags = kSecRevocationOCSPMethod | kSecRevocationCRLMethod |
                                               kSecRevocationPreferCRL | kSecRevocationRequirePositiveResponse |
                                               kSecRevocationNetworkAccessDisabled;

// URL hosts put IPv6 addresses in brackets and may end in the root's dot;
// certificates name neither.
std::string bareHostName(std::string host) {
  if (host.size() >= 2 && host.front() == '[' && host.back() == ']') return host.substr(1, host.size() - 2);
  if (host.size() > 1 && host.back() == '.') host.pop_back();
  return host;
}

}  // namespace

std::shared_ptr<SecPolicy> SecPolicy::makeSSL(bool server, std::optional<std::string> hostName) {
  if (hostName) hostName = bareHostName(std::move(*hostName));
  return std::shared_ptr<SecPolicy>(new SecPolicy(Kind::ssl, server, std::move(hostName), 0));
}

std::shared_ptr<SecPolicy> SecPolicy::makeRevocation(std::uint64_t flags) {
  // A revocation policy that checks nothing would pass every certificate
  // while looking like a check.
  if ((flags & ~knownRevocationFlags) != 0 || (flags & kSecRevocationUseAnyAvailableMethod) == 0) return nullptr;
  return std::shared_ptr<SecPolicy>(new SecPolicy(Kind::revocation, false, std::nullopt, flags));
}

std::shared_ptr<SecPolicy> SecPolicy::makeBasicX509() {
  return std::shared_ptr<SecPolicy>(new SecPolicy(Kind::basicX509, false, std::nullopt, 0));
}

}  // namespace platform
