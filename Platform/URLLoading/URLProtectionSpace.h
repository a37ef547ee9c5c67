#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

class SecTrust;

// The server, realm and scheme an authentication challenge is about.
struct URLProtectionSpace {
  static constexpr std::string_view authenticationMethodDefault = "NSURLAuthenticationMethodDefault";
  static constexpr std::string_view authenticationMethodHTTPBasic = "NSURLAuthenticationMethodHTTPBasic";
  static constexpr std::string_view authenticationMethodHTTPDigest = "NSURLAuthenticationMethodHTTPDigest";
  static constexpr std::string_view authenticationMethodNTLM = "NSURLAuthenticationMethodNTLM";
  static constexpr std::string_view authenticationMethodNegotiate = "NSURLAuthenticationMethodNegotiate";
  static constexpr std::string_view authenticationMethodClientCertificate =
      "NSURLAuthenticationMethodClientCertificate";
  static constexpr std::string_view authenticationMethodServerTrust = "NSURLAuthenticationMethodServerTrust";

  std::string host;
  int port = 0;
  // "http" or "https"; absent when unknown.
  std::optional<std::string> protocol;
  std::optional<std::string> realm;
  std::string authenticationMethod{authenticationMethodDefault};
  // Present only for server-trust challenges.
  std::shared_ptr<SecTrust> serverTrust;

  friend bool operator==(const URLProtectionSpace&, const URLProtectionSpace&) = default;
};

}  // namespace platform
