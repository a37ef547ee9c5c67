#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Platform/Foundation/URL.h"
#include "Platform/URLLoading/Engine/HTTPAuthenticationChallenge.h"
#include "Platform/URLLoading/URLCredential.h"
#include "Platform/URLLoading/URLProtectionSpace.h"

namespace platform {

// A challenge the engine can answer, with the authentication method it
// stands for.
struct AnswerableChallenge {
  HTTPAuthenticationChallenge challenge;
  std::string_view authenticationMethod;
};

// The strongest challenge among `challenges` that the engine answers:
// Digest (SHA-256 before MD5, with qop "auth" or without qop), else Basic.
std::optional<AnswerableChallenge> strongestAnswerableChallenge(
    const std::vector<HTTPAuthenticationChallenge>& challenges);

// "Basic " and the Base64 of user:password.
std::string basicAuthorization(std::string_view user, std::string_view password);

// The Digest answer to `challenge` for one request, or none for a challenge
// without a nonce or with an algorithm or qop it cannot answer.
// `nonceCount` counts the requests made with this nonce, from 1.
std::optional<std::string> digestAuthorization(const HTTPAuthenticationChallenge& challenge, std::string_view user,
                                               std::string_view password, std::string_view method,
                                               std::string_view requestTarget, std::uint32_t nonceCount,
                                               std::string_view clientNonce);

// The protection space a challenge to a request for `url` is about.
URLProtectionSpace protectionSpaceFor(const URL& url, const AnswerableChallenge& challenge);

// The same server as the space's: scheme, host and port. Only there does
// a credential for the space go.
bool isSameServer(const URLProtectionSpace& space, const URL& url);

// A credential answering a challenge, ready to go with the requests made
// to the server of its protection space.
class HTTPAuthorization {
 public:
  // None when the credential lacks a user or a password.
  static std::optional<HTTPAuthorization> make(URLProtectionSpace space, AnswerableChallenge challenge,
                                               URLCredential credential);

  const URLProtectionSpace& protectionSpace() const { return space_; }
  const URLCredential& credential() const { return credential_; }

  // The Authorization field value for a request to `url`, or none when the
  // URL is at another server or the challenge cannot be answered.
  std::optional<std::string> fieldValue(std::string_view method, const URL& url);

 private:
  HTTPAuthorization(URLProtectionSpace space, AnswerableChallenge challenge, URLCredential credential)
      : space_(std::move(space)), challenge_(std::move(challenge)), credential_(std::move(credential)) {}

  URLProtectionSpace space_;
  AnswerableChallenge challenge_;
  URLCredential credential_;
  std::uint32_t nonceCount_ = 0;
};

}  // namespace platform
