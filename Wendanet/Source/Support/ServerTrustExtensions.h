#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/Data.h"
#include "Platform/Foundation/Error.h"
#include "Wendanet/Source/Core/SecurityHandles.h"
#include "Wendanet/Source/Core/WNError.h"
#include "Wendanet/Source/Support/WendanetExtension.h"

// The library's trust operations on the security types. Every failure is
// thrown as WNError serverTrustEvaluationFailed with the reason that names
// the step.

namespace wendanet {

using SecCertificates = std::vector<SecCertificateHandle>;
using SecKeys = std::vector<SecKeyHandle>;

template <>
inline constexpr bool isWendanetExtended<SecPolicyHandle> = true;
template <>
inline constexpr bool isWendanetExtended<SecTrustHandle> = true;
template <>
inline constexpr bool isWendanetExtended<SecCertificateHandle> = true;
template <>
inline constexpr bool isWendanetExtended<SecCertificates> = true;
template <>
inline constexpr bool isWendanetExtended<platform::OSStatus> = true;
template <>
inline constexpr bool isWendanetExtended<platform::SecTrustResultType> = true;
template <>
inline constexpr bool isWendanetExtended<std::shared_ptr<const platform::Bundle>> = true;

template <>
class WendanetExtension<SecPolicyHandle> {
 public:
  explicit WendanetExtension(SecPolicyHandle type) : type_(std::move(type)) {}
  const SecPolicyHandle& type() const { return type_; }

  // The TLS server policy without a host name, made once and shared.
  static const SecPolicyHandle& defaultSSLPolicy();
  static SecPolicyHandle sslPolicyForHost(const std::string& host);
  static SecPolicyHandle revocationPolicy(RevocationTrustEvaluatorOptions options);

 private:
  SecPolicyHandle type_;
};

template <>
class WendanetExtension<SecTrustHandle> {
 public:
  // Turns the status and result of a failed evaluation into the error to throw.
  using ErrorProducer = std::function<WNError(platform::OSStatus, platform::SecTrustResultType)>;

  explicit WendanetExtension(SecTrustHandle type) : type_(std::move(type)) {}
  const SecTrustHandle& type() const { return type_; }

  // Replaces the trust's policies with `policy`.
  const SecTrustHandle& applyPolicy(const SecPolicyHandle& policy) const;
  void evaluateWithError() const;
  void evaluateAfterApplying(const SecPolicyHandle& policy) const;
  void evaluateForHost(const std::string& host) const;
  // The host is not used: the shared policy names none.
  void evaluateDefault(const std::string& host) const;
  void validateResult(const ErrorProducer& makeError) const;
  void validateResultAfterApplying(const SecPolicyHandle& policy, const ErrorProducer& makeError) const;
  // The certificates become the trust's only anchors.
  void setAnchorCertificates(const SecCertificates& certificates) const;
  SecCertificates certificateChain() const;
  std::vector<platform::Data> certificateChainData() const;
  SecKeys chainPublicKeys() const;

 private:
  SecTrustHandle type_;
};

template <>
class WendanetExtension<SecCertificates> {
 public:
  explicit WendanetExtension(SecCertificates type) : type_(std::move(type)) {}
  const SecCertificates& type() const { return type_; }

  std::vector<platform::Data> data() const;
  // Certificates without a usable key are skipped.
  SecKeys publicKeys() const;

 private:
  SecCertificates type_;
};

template <>
class WendanetExtension<SecCertificateHandle> {
 public:
  explicit WendanetExtension(SecCertificateHandle type) : type_(std::move(type)) {}
  const SecCertificateHandle& type() const { return type_; }

  // The key of a trust made of the certificate alone; null when none.
  SecKeyHandle publicKey() const;

 private:
  SecCertificateHandle type_;
};

template <>
class WendanetExtension<platform::OSStatus> {
 public:
  explicit WendanetExtension(platform::OSStatus type) : type_(type) {}
  platform::OSStatus type() const { return type_; }
  bool isSuccess() const { return type_ == platform::errSecSuccess; }

 private:
  platform::OSStatus type_;
};

template <>
class WendanetExtension<platform::SecTrustResultType> {
 public:
  explicit WendanetExtension(platform::SecTrustResultType type) : type_(type) {}
  platform::SecTrustResultType type() const { return type_; }
  bool isSuccess() const {
    return type_ == platform::SecTrustResultType::proceed || type_ == platform::SecTrustResultType::unspecified;
  }

 private:
  platform::SecTrustResultType type_;
};

template <>
class WendanetExtension<std::shared_ptr<const platform::Bundle>> {
 public:
  explicit WendanetExtension(std::shared_ptr<const platform::Bundle> type) : type_(std::move(type)) {}
  const std::shared_ptr<const platform::Bundle>& type() const { return type_; }

  // Every resource path of the given extensions, each once.
  std::vector<std::string> pathsForResourcesOfTypes(const std::vector<std::string>& types) const;
  // The DER certificates among the resources; unreadable files and files
  // that hold no certificate are skipped.
  SecCertificates certificates() const;
  SecKeys publicKeys() const;

 private:
  std::shared_ptr<const platform::Bundle> type_;
};

}  // namespace wendanet
