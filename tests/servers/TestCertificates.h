#pragma once

// Header-only so that unit test programs that do not link the test servers
// can make certificates too.

#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509v3.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "Platform/Foundation/Data.h"

namespace testservers {

// What a test certificate says about itself. Times are relative to now.
struct CertificateSpec {
  std::string commonName;
  bool isCA = false;
  std::vector<std::string> dnsNames;
  std::vector<std::string> ipAddresses;
  // OpenSSL's text for the extended key usage; empty for none.
  std::string extendedKeyUsage = "serverAuth";
  std::chrono::seconds notBefore = std::chrono::hours(-1);
  std::chrono::seconds notAfter = std::chrono::days(30);
  std::string crlURL;
  std::string ocspURL;

  static CertificateSpec authority(std::string name) {
    CertificateSpec spec;
    spec.commonName = std::move(name);
    spec.isCA = true;
    return spec;
  }
  static CertificateSpec server(std::string name, std::vector<std::string> dnsNames,
                                std::vector<std::string> ipAddresses = {}) {
    CertificateSpec spec;
    spec.commonName = std::move(name);
    spec.dnsNames = std::move(dnsNames);
    spec.ipAddresses = std::move(ipAddresses);
    return spec;
  }
};

// A certificate with its private key (EC P-256, signed with SHA-256).
class TestIdentity {
 public:
  // Signed by `issuer`, or by itself when there is none.
  static TestIdentity issue(const CertificateSpec& spec, const TestIdentity* issuer = nullptr) {
    TestIdentity identity;
    identity.key_.reset(EVP_EC_gen("P-256"), EVP_PKEY_free);
    identity.certificate_.reset(X509_new(), X509_free);
    X509* certificate = identity.certificate_.get();
    require(identity.key_ && certificate, "allocate");
    static std::atomic<long> nextSerial{1000};
    require(X509_set_version(certificate, X509_VERSION_3) == 1 &&
                ASN1_INTEGER_set(X509_get_serialNumber(certificate), nextSerial++) == 1 &&
                X509_gmtime_adj(X509_getm_notBefore(certificate), spec.notBefore.count()) != nullptr &&
                X509_gmtime_adj(X509_getm_notAfter(certificate), spec.notAfter.count()) != nullptr &&
                X509_set_pubkey(certificate, identity.key_.get()) == 1,
            "fill in the certificate");
    X509_NAME* subject = X509_get_subject_name(certificate);
    require(X509_NAME_add_entry_by_txt(subject, "CN", MBSTRING_UTF8,
                                       reinterpret_cast<const unsigned char*>(spec.commonName.c_str()), -1, -1, 0) == 1,
            "name the subject");
    const TestIdentity& signer = issuer ? *issuer : identity;
    require(X509_set_issuer_name(certificate, X509_get_subject_name(signer.certificate())) == 1, "name the issuer");
    identity.addExtensions(spec, signer.certificate());
    require(X509_sign(certificate, signer.key(), EVP_sha256()) > 0, "sign");
    return identity;
  }

  X509* certificate() const { return certificate_.get(); }
  EVP_PKEY* key() const { return key_.get(); }
  long serial() const { return ASN1_INTEGER_get(X509_get0_serialNumber(certificate())); }

  platform::Data der() const {
    unsigned char* bytes = nullptr;
    const int length = i2d_X509(certificate(), &bytes);
    require(length > 0, "encode");
    platform::Data data(bytes, static_cast<std::size_t>(length));
    OPENSSL_free(bytes);
    return data;
  }
  std::string certificatePEM() const {
    return pem([this](BIO* output) { return PEM_write_bio_X509(output, certificate()); });
  }
  std::string keyPEM() const {
    return pem(
        [this](BIO* output) { return PEM_write_bio_PrivateKey(output, key(), nullptr, nullptr, 0, nullptr, nullptr); });
  }

 private:
  static void require(bool condition, const char* step) {
    if (!condition) throw std::runtime_error(std::string("test certificate: could not ") + step);
  }

  template <class Write>
  static std::string pem(Write write) {
    const std::unique_ptr<BIO, decltype(&BIO_free_all)> output(BIO_new(BIO_s_mem()), BIO_free_all);
    require(output && write(output.get()) == 1, "write PEM");
    char* text = nullptr;
    const long length = BIO_get_mem_data(output.get(), &text);
    return std::string(text, static_cast<std::size_t>(length));
  }

  void addExtension(X509V3_CTX* context, int nid, const std::string& value) {
    X509_EXTENSION* extension = X509V3_EXT_nconf_nid(nullptr, context, nid, value.c_str());
    require(extension != nullptr && X509_add_ext(certificate(), extension, -1) == 1, "add an extension");
    X509_EXTENSION_free(extension);
  }

  void addExtensions(const CertificateSpec& spec, X509* issuer) {
    X509V3_CTX context;
    X509V3_set_ctx(&context, issuer, certificate(), nullptr, nullptr, 0);
    addExtension(&context, NID_basic_constraints, spec.isCA ? "critical,CA:TRUE" : "critical,CA:FALSE");
    addExtension(&context, NID_key_usage,
                 spec.isCA ? "critical,keyCertSign,cRLSign,digitalSignature" : "critical,digitalSignature");
    addExtension(&context, NID_subject_key_identifier, "hash");
    if (!spec.extendedKeyUsage.empty() && !spec.isCA) addExtension(&context, NID_ext_key_usage, spec.extendedKeyUsage);
    std::string names;
    for (const auto& name : spec.dnsNames) names += (names.empty() ? "DNS:" : ",DNS:") + name;
    for (const auto& address : spec.ipAddresses) names += (names.empty() ? "IP:" : ",IP:") + address;
    if (!names.empty()) addExtension(&context, NID_subject_alt_name, names);
    if (!spec.crlURL.empty()) addExtension(&context, NID_crl_distribution_points, "URI:" + spec.crlURL);
    if (!spec.ocspURL.empty()) addExtension(&context, NID_info_access, "OCSP;URI:" + spec.ocspURL);
  }

  std::shared_ptr<EVP_PKEY> key_{nullptr, EVP_PKEY_free};
  std::shared_ptr<X509> certificate_{nullptr, X509_free};
};

}  // namespace testservers
