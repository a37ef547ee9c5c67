#pragma once

#include <openssl/ocsp.h>
#include <openssl/x509.h>

#include <memory>

namespace platform::detail {

// Owning pointers for the OpenSSL objects the security layer holds; each
// frees its object with the matching OpenSSL call.
template <class T, void (*Free)(T*)>
struct OpenSSLDeleter {
  void operator()(T* object) const { Free(object); }
};

template <class T, void (*Free)(T*)>
using OpenSSLPointer = std::unique_ptr<T, OpenSSLDeleter<T, Free>>;

using X509Pointer = OpenSSLPointer<X509, X509_free>;
using X509CRLPointer = OpenSSLPointer<X509_CRL, X509_CRL_free>;
using X509StorePointer = OpenSSLPointer<X509_STORE, X509_STORE_free>;
using X509StoreContextPointer = OpenSSLPointer<X509_STORE_CTX, X509_STORE_CTX_free>;
using EVPKeyPointer = OpenSSLPointer<EVP_PKEY, EVP_PKEY_free>;
using OCSPRequestPointer = OpenSSLPointer<OCSP_REQUEST, OCSP_REQUEST_free>;
using OCSPResponsePointer = OpenSSLPointer<OCSP_RESPONSE, OCSP_RESPONSE_free>;
using OCSPBasicResponsePointer = OpenSSLPointer<OCSP_BASICRESP, OCSP_BASICRESP_free>;
using OCSPCertificateIDPointer = OpenSSLPointer<OCSP_CERTID, OCSP_CERTID_free>;

// A stack of certificates that owns a reference to each.
struct X509StackDeleter {
  void operator()(STACK_OF(X509) * stack) const { sk_X509_pop_free(stack, X509_free); }
};
using X509StackPointer = std::unique_ptr<STACK_OF(X509), X509StackDeleter>;

}  // namespace platform::detail
