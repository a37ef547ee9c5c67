#include "Platform/Security/detail/RevocationCheck.h"

#include <openssl/x509v3.h>

#include <climits>
#include <functional>
#include <string>
#include <vector>

#include "Platform/Security/SecPolicy.h"
#include "Platform/Security/detail/RevocationCache.h"
#include "Platform/Security/detail/RevocationFetcher.h"

namespace platform::detail {

namespace {

enum class RevocationAnswer { good, revoked, unknown };

std::string text(const ASN1_STRING* string) {
  return std::string(reinterpret_cast<const char*>(ASN1_STRING_get0_data(string)),
                     static_cast<std::size_t>(ASN1_STRING_length(string)));
}

// Distribution points that name where the issuer's whole list is; points
// limited to some reasons or served by another issuer are left alone.
std::vector<std::string> crlURLs(X509* certificate) {
  std::vector<std::string> urls;
  auto* points =
      static_cast<STACK_OF(DIST_POINT)*>(X509_get_ext_d2i(certificate, NID_crl_distribution_points, nullptr, nullptr));
  for (int index = 0; index < sk_DIST_POINT_num(points); ++index) {
    const DIST_POINT* point = sk_DIST_POINT_value(points, index);
    if (point->distpoint == nullptr || point->distpoint->type != 0 || point->reasons || point->CRLissuer) continue;
    const GENERAL_NAMES* names = point->distpoint->name.fullname;
    for (int nameIndex = 0; nameIndex < sk_GENERAL_NAME_num(names); ++nameIndex) {
      const GENERAL_NAME* name = sk_GENERAL_NAME_value(names, nameIndex);
      if (name->type == GEN_URI) urls.push_back(text(name->d.uniformResourceIdentifier));
    }
  }
  sk_DIST_POINT_pop_free(points, DIST_POINT_free);
  return urls;
}

std::vector<std::string> ocspURLs(X509* certificate) {
  std::vector<std::string> urls;
  STACK_OF(OPENSSL_STRING)* responders = X509_get1_ocsp(certificate);
  for (int index = 0; index < sk_OPENSSL_STRING_num(responders); ++index) {
    urls.emplace_back(sk_OPENSSL_STRING_value(responders, index));
  }
  X509_email_free(responders);
  return urls;
}

template <class T, T* (*Decode)(T**, const unsigned char**, long)>
T* decodeExactly(const Data& der) {
  if (der.empty() || der.size() > static_cast<std::size_t>(LONG_MAX)) return nullptr;
  const unsigned char* cursor = der.bytes();
  T* decoded = Decode(nullptr, &cursor, static_cast<long>(der.size()));
  if (decoded != nullptr && cursor != der.end()) return nullptr;
  return decoded;
}

bool isCurrent(const ASN1_TIME* thisUpdate, const ASN1_TIME* nextUpdate) {
  // X509_cmp_current_time gives -1 for the past, 1 for the future, 0 when it cannot tell.
  if (thisUpdate == nullptr || X509_cmp_current_time(thisUpdate) != -1) return false;
  return nextUpdate == nullptr || X509_cmp_current_time(nextUpdate) == 1;
}

// A list scoped to some reasons, to other kinds of certificates, or holding
// only changes since another list cannot say a certificate is good.
bool crlCoversCertificate(X509_CRL* crl, X509* certificate) {
  if (X509_CRL_get_ext_by_NID(crl, NID_delta_crl, -1) >= 0) return false;
  int critical = 0;
  auto* scope =
      static_cast<ISSUING_DIST_POINT*>(X509_CRL_get_ext_d2i(crl, NID_issuing_distribution_point, &critical, nullptr));
  if (scope == nullptr) return critical == -1;  // -1: absent; otherwise present but unreadable
  const bool isCA = X509_check_ca(certificate) != 0;
  const bool covers = scope->onlysomereasons == nullptr && !scope->indirectCRL && !scope->onlyattr &&
                      !(scope->onlyuser && isCA) && !(scope->onlyCA && !isCA);
  ISSUING_DIST_POINT_free(scope);
  return covers;
}

RevocationAnswer judgeCRL(const Data& der, X509* certificate, X509* issuer) {
  const X509CRLPointer crl(decodeExactly<X509_CRL, d2i_X509_CRL>(der));
  if (!crl || X509_NAME_cmp(X509_CRL_get_issuer(crl.get()), X509_get_issuer_name(certificate)) != 0) {
    return RevocationAnswer::unknown;
  }
  const bool issuerMaySignCRLs =
      (X509_get_extension_flags(issuer) & EXFLAG_KUSAGE) == 0 || (X509_get_key_usage(issuer) & KU_CRL_SIGN) != 0;
  EVP_PKEY* issuerKey = X509_get0_pubkey(issuer);
  if (!issuerMaySignCRLs || issuerKey == nullptr || X509_CRL_verify(crl.get(), issuerKey) != 1 ||
      !isCurrent(X509_CRL_get0_lastUpdate(crl.get()), X509_CRL_get0_nextUpdate(crl.get())) ||
      !crlCoversCertificate(crl.get(), certificate)) {
    return RevocationAnswer::unknown;
  }
  X509_REVOKED* entry = nullptr;
  // 1: listed; 2: listed as taken off hold, so good again.
  return X509_CRL_get0_by_cert(crl.get(), &entry, certificate) == 1 ? RevocationAnswer::revoked
                                                                    : RevocationAnswer::good;
}

RevocationAnswer judgeOCSP(const Data& der, OCSP_CERTID* id, STACK_OF(X509) * chain, X509_STORE* trustStore) {
  const OCSPResponsePointer response(decodeExactly<OCSP_RESPONSE, d2i_OCSP_RESPONSE>(der));
  if (!response || OCSP_response_status(response.get()) != OCSP_RESPONSE_STATUS_SUCCESSFUL) {
    return RevocationAnswer::unknown;
  }
  const OCSPBasicResponsePointer basic(OCSP_response_get1_basic(response.get()));
  int status = V_OCSP_CERTSTATUS_UNKNOWN;
  int reason = 0;
  ASN1_GENERALIZEDTIME* revokedAt = nullptr;
  ASN1_GENERALIZEDTIME* thisUpdate = nullptr;
  ASN1_GENERALIZEDTIME* nextUpdate = nullptr;
  if (!basic || OCSP_basic_verify(basic.get(), chain, trustStore, 0) != 1 ||
      OCSP_resp_find_status(basic.get(), id, &status, &reason, &revokedAt, &thisUpdate, &nextUpdate) != 1 ||
      OCSP_check_validity(thisUpdate, nextUpdate, 300, -1) != 1) {
    return RevocationAnswer::unknown;
  }
  switch (status) {
    case V_OCSP_CERTSTATUS_GOOD: return RevocationAnswer::good;
    case V_OCSP_CERTSTATUS_REVOKED: return RevocationAnswer::revoked;
    default: return RevocationAnswer::unknown;
  }
}

std::optional<Data> encodedOCSPRequest(OCSP_CERTID* id) {
  const OCSPRequestPointer request(OCSP_REQUEST_new());
  OCSP_CERTID* requestID = OCSP_CERTID_dup(id);
  if (!request || requestID == nullptr) return std::nullopt;
  if (OCSP_request_add0_id(request.get(), requestID) == nullptr) {
    OCSP_CERTID_free(requestID);
    return std::nullopt;
  }
  unsigned char* encoded = nullptr;
  const int length = i2d_OCSP_REQUEST(request.get(), &encoded);
  if (length <= 0) return std::nullopt;
  Data body(encoded, static_cast<std::size_t>(length));
  OPENSSL_free(encoded);
  return body;
}

class ChainRevocationCheck {
 public:
  ChainRevocationCheck(STACK_OF(X509) * chain, std::uint64_t flags, X509_STORE* trustStore)
      : chain_(chain), flags_(flags), trustStore_(trustStore) {}

  std::optional<RevocationFailure> run() const {
    for (int depth = 0; depth + 1 < sk_X509_num(chain_); ++depth) {
      X509* certificate = sk_X509_value(chain_, depth);
      X509* issuer = sk_X509_value(chain_, depth + 1);
      switch (answer(certificate, issuer)) {
        case RevocationAnswer::good: break;
        case RevocationAnswer::revoked: return RevocationFailure{X509_V_ERR_CERT_REVOKED, depth};
        case RevocationAnswer::unknown:
          if (has(kSecRevocationRequirePositiveResponse)) return RevocationFailure{noAnswerResult(), depth};
          break;
      }
    }
    return std::nullopt;
  }

 private:
  using Judge = std::function<RevocationAnswer(const Data&)>;

  bool has(std::uint64_t flag) const { return (flags_ & flag) != 0; }

  RevocationAnswer answer(X509* certificate, X509* issuer) const {
    const bool crlFirst = has(kSecRevocationPreferCRL) || !has(kSecRevocationOCSPMethod);
    for (const bool byCRL : {crlFirst, !crlFirst}) {
      if (!has(byCRL ? kSecRevocationCRLMethod : kSecRevocationOCSPMethod)) continue;
      const RevocationAnswer found = byCRL ? answerByCRL(certificate, issuer) : answerByOCSP(certificate, issuer);
      if (found != RevocationAnswer::unknown) return found;
    }
    return RevocationAnswer::unknown;
  }

  RevocationAnswer answerByCRL(X509* certificate, X509* issuer) const {
    return answerFrom(crlURLs(certificate), std::nullopt, {},
                      [&](const Data& der) { return judgeCRL(der, certificate, issuer); });
  }

  RevocationAnswer answerByOCSP(X509* certificate, X509* issuer) const {
    const OCSPCertificateIDPointer id(OCSP_cert_to_id(nullptr, certificate, issuer));
    if (!id) return RevocationAnswer::unknown;
    const std::optional<Data> request = encodedOCSPRequest(id.get());
    if (!request) return RevocationAnswer::unknown;
    return answerFrom(ocspURLs(certificate), request, "application/ocsp-request",
                      [&](const Data& der) { return judgeOCSP(der, id.get(), chain_, trustStore_); });
  }

  // The first answer that says something, from the cache or else fetched
  // now (and then cached for the next check).
  RevocationAnswer answerFrom(const std::vector<std::string>& urls, const std::optional<Data>& body,
                              const std::string& contentType, const Judge& judge) const {
    auto& cache = RevocationCache::shared();
    for (const auto& url : urls) {
      const std::string key = body ? url + '\n' + body->toString() : url;
      if (const auto cached = cache.find(key)) {
        if (const auto found = judge(*cached); found != RevocationAnswer::unknown) return found;
      }
      if (has(kSecRevocationNetworkAccessDisabled)) continue;
      if (const auto fetched = RevocationFetcher::fetch(url, body, contentType)) {
        if (const auto found = judge(*fetched); found != RevocationAnswer::unknown) {
          cache.store(key, *fetched);
          return found;
        }
      }
    }
    return RevocationAnswer::unknown;
  }

  int noAnswerResult() const {
    return has(kSecRevocationCRLMethod) ? X509_V_ERR_UNABLE_TO_GET_CRL : X509_V_ERR_OCSP_VERIFY_NEEDED;
  }

  STACK_OF(X509) * chain_;
  std::uint64_t flags_;
  X509_STORE* trustStore_;
};

}  // namespace

std::optional<RevocationFailure> checkRevocation(STACK_OF(X509) * chain, std::uint64_t flags, X509_STORE* trustStore) {
  return ChainRevocationCheck(chain, flags, trustStore).run();
}

}  // namespace platform::detail
