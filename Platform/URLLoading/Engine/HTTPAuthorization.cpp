#include "Platform/URLLoading/Engine/HTTPAuthorization.h"

#include <fmt/format.h>
#include <openssl/evp.h>

#include "Platform/Foundation/ASCIICase.h"
#include "Platform/Foundation/Base64.h"
#include "Platform/Foundation/QuotedString.h"
#include "Platform/Foundation/Random.h"

namespace platform {

namespace {

struct DigestAlgorithm {
  const EVP_MD* hash;
  bool session;
};

std::optional<DigestAlgorithm> digestAlgorithm(const HTTPAuthenticationChallenge& challenge) {
  const auto name = asciiLowercased(challenge.parameter("algorithm").value_or("MD5"));
  if (name == "md5") return DigestAlgorithm{EVP_md5(), false};
  if (name == "md5-sess") return DigestAlgorithm{EVP_md5(), true};
  if (name == "sha-256") return DigestAlgorithm{EVP_sha256(), false};
  if (name == "sha-256-sess") return DigestAlgorithm{EVP_sha256(), true};
  return std::nullopt;
}

// "auth" when offered, none when the challenge names no qop; a challenge
// offering only other qop values cannot be answered.
std::optional<std::optional<std::string>> chosenQop(const HTTPAuthenticationChallenge& challenge) {
  const auto offered = challenge.parameter("qop");
  if (!offered) return std::optional<std::string>();
  std::string_view rest = *offered;
  while (!rest.empty()) {
    const auto comma = rest.find(',');
    auto option = rest.substr(0, comma);
    while (!option.empty() && (option.front() == ' ' || option.front() == '\t')) option.remove_prefix(1);
    while (!option.empty() && (option.back() == ' ' || option.back() == '\t')) option.remove_suffix(1);
    if (equalsIgnoringASCIICase(option, "auth")) return std::optional<std::string>("auth");
    rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
  }
  return std::nullopt;
}

bool isAnswerableDigest(const HTTPAuthenticationChallenge& challenge) {
  return challenge.parameter("nonce") && digestAlgorithm(challenge) && chosenQop(challenge);
}

std::string hexDigest(const EVP_MD* hash, std::string_view text) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  EVP_Digest(text.data(), text.size(), digest, &length, hash, nullptr);
  std::string hex;
  hex.reserve(length * 2);
  for (unsigned int index = 0; index < length; ++index) hex += fmt::format("{:02x}", digest[index]);
  return hex;
}

std::string randomClientNonce() {
  return fmt::format("{:08x}{:08x}{:08x}{:08x}", randomUInt32(), randomUInt32(), randomUInt32(), randomUInt32());
}

int effectivePort(const URL& url) {
  if (const auto port = url.port()) return *port;
  return asciiLowercased(url.scheme().value_or("")) == "https" ? 443 : 80;
}

std::string requestTarget(const URL& url) {
  auto target = url.percentEncodedPath();
  if (target.empty()) target = "/";
  if (const auto query = url.query()) target += "?" + *query;
  return target;
}

}  // namespace

std::optional<AnswerableChallenge> strongestAnswerableChallenge(
    const std::vector<HTTPAuthenticationChallenge>& challenges) {
  const HTTPAuthenticationChallenge* best = nullptr;
  int bestRank = 0;
  for (const auto& challenge : challenges) {
    int rank = 0;
    if (equalsIgnoringASCIICase(challenge.scheme, "Digest") && isAnswerableDigest(challenge)) {
      rank = digestAlgorithm(challenge)->hash == EVP_sha256() ? 3 : 2;
    } else if (equalsIgnoringASCIICase(challenge.scheme, "Basic")) {
      rank = 1;
    }
    if (rank > bestRank) {
      best = &challenge;
      bestRank = rank;
    }
  }
  if (!best) return std::nullopt;
  return AnswerableChallenge{*best, bestRank > 1 ? URLProtectionSpace::authenticationMethodHTTPDigest
                                                 : URLProtectionSpace::authenticationMethodHTTPBasic};
}

std::string basicAuthorization(std::string_view user, std::string_view password) {
  return "Basic " + base64Encode(std::string(user) + ":" + std::string(password));
}

std::optional<std::string> digestAuthorization(const HTTPAuthenticationChallenge& challenge, std::string_view user,
                                               std::string_view password, std::string_view method,
                                               std::string_view requestTarget, std::uint32_t nonceCount,
                                               std::string_view clientNonce) {
  const auto algorithm = digestAlgorithm(challenge);
  const auto qop = chosenQop(challenge);
  const auto nonce = challenge.parameter("nonce");
  if (!algorithm || !qop || !nonce) return std::nullopt;
  const auto realm = challenge.parameter("realm").value_or("");
  const auto hash = [&](const std::string& text) { return hexDigest(algorithm->hash, text); };

  auto secret = hash(fmt::format("{}:{}:{}", user, realm, password));
  if (algorithm->session) secret = hash(fmt::format("{}:{}:{}", secret, *nonce, clientNonce));
  const auto requestHash = hash(fmt::format("{}:{}", method, requestTarget));
  const auto count = fmt::format("{:08x}", nonceCount);
  const auto response =
      *qop ? hash(fmt::format("{}:{}:{}:{}:{}:{}", secret, *nonce, count, clientNonce, **qop, requestHash))
           : hash(fmt::format("{}:{}:{}", secret, *nonce, requestHash));

  auto field = fmt::format("Digest username={}, realm={}, nonce={}, uri={}", quotedString(user),
                           quotedString(realm), quotedString(*nonce), quotedString(requestTarget));
  if (const auto name = challenge.parameter("algorithm")) field += ", algorithm=" + *name;
  field += ", response=" + quotedString(response);
  if (const auto opaque = challenge.parameter("opaque")) field += ", opaque=" + quotedString(*opaque);
  if (*qop) field += fmt::format(", qop={}, nc={}, cnonce={}", **qop, count, quotedString(clientNonce));
  return field;
}

URLProtectionSpace protectionSpaceFor(const URL& url, const AnswerableChallenge& challenge) {
  return URLProtectionSpace{
      .host = url.host().value_or(""),
      .port = effectivePort(url),
      .protocol = asciiLowercased(url.scheme().value_or("")),
      .realm = challenge.challenge.parameter("realm"),
      .authenticationMethod = std::string(challenge.authenticationMethod),
      .serverTrust = nullptr,
  };
}

bool isSameServer(const URLProtectionSpace& space, const URL& url) {
  return space.protocol && equalsIgnoringASCIICase(*space.protocol, url.scheme().value_or("")) &&
         equalsIgnoringASCIICase(space.host, url.host().value_or("")) && space.port == effectivePort(url);
}

std::optional<HTTPAuthorization> HTTPAuthorization::make(URLProtectionSpace space, AnswerableChallenge challenge,
                                                         URLCredential credential) {
  if (!credential.user || !credential.password) return std::nullopt;
  return HTTPAuthorization(std::move(space), std::move(challenge), std::move(credential));
}

std::optional<std::string> HTTPAuthorization::fieldValue(std::string_view method, const URL& url) {
  if (!isSameServer(space_, url)) return std::nullopt;
  const auto& user = *credential_.user;
  const auto& password = *credential_.password;
  if (challenge_.authenticationMethod == URLProtectionSpace::authenticationMethodHTTPBasic) {
    return basicAuthorization(user, password);
  }
  return digestAuthorization(challenge_.challenge, user, password, method, requestTarget(url), ++nonceCount_,
                             randomClientNonce());
}

}  // namespace platform
