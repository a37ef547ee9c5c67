#include "Platform/URLLoading/Engine/URLErrorMapping.h"

#include <fmt/format.h>

#include <cerrno>

#include "Platform/URLLoading/Engine/CurlError.h"

namespace platform {

namespace {

URLError::Code connectFailureCode(int osErrno) {
  switch (osErrno) {
    case ENETUNREACH:
    case ENETDOWN:
    case EHOSTUNREACH:
    case EHOSTDOWN: return URLError::Code::notConnectedToInternet;
    case ETIMEDOUT: return URLError::Code::timedOut;
    default: return URLError::Code::cannotConnectToHost;
  }
}

// The code says what kind of failure it was; the description, which.
AnyError describedError(URLError::Code code, std::optional<URL> failingURL, std::string description) {
  return makeError(URLError(code, std::move(failingURL), nullptr,
                            {{std::string(URLError::localizedDescriptionKey), std::move(description)}}));
}

}  // namespace

URLError::Code urlErrorCode(CURLcode result, int osErrno) {
  using Code = URLError::Code;
  switch (result) {
    case CURLE_OK: return Code::unknown;
    case CURLE_URL_MALFORMAT: return Code::badURL;
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_RESOLVE_HOST: return Code::cannotFindHost;
    case CURLE_COULDNT_CONNECT: return connectFailureCode(osErrno);
    case CURLE_OPERATION_TIMEDOUT: return Code::timedOut;
    // Only http and https URLs reach the library, so this is what it says
    // of a reply that opens with no valid status line (an HTTP/0.9 body, a
    // four-digit code, an unknown version).
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_WEIRD_SERVER_REPLY:
    // Options are set before a transfer starts; during one, this is what it
    // says of a field line it cannot store: one with no colon, or one folded
    // onto no field.
    case CURLE_BAD_FUNCTION_ARGUMENT: return Code::badServerResponse;
    case CURLE_GOT_NOTHING:
    case CURLE_PARTIAL_FILE:
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_HTTP2:
    case CURLE_HTTP2_STREAM: return Code::networkConnectionLost;
    case CURLE_BAD_CONTENT_ENCODING: return Code::cannotDecodeContentData;
    case CURLE_FILESIZE_EXCEEDED: return Code::dataLengthExceedsMaximum;
    case CURLE_SEND_FAIL_REWIND: return Code::requestBodyStreamExhausted;
    case CURLE_ABORTED_BY_CALLBACK: return Code::cancelled;
    case CURLE_PEER_FAILED_VERIFICATION: return Code::serverCertificateUntrusted;
    case CURLE_SSL_CERTPROBLEM: return Code::clientCertificateRejected;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_ENGINE_NOTFOUND:
    case CURLE_SSL_ENGINE_SETFAILED:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_ENGINE_INITFAILED:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_SHUTDOWN_FAILED:
    case CURLE_SSL_CRL_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS:
    case CURLE_SSL_CLIENTCERT:
    case CURLE_USE_SSL_FAILED: return Code::secureConnectionFailed;
    default: return Code::unknown;
  }
}

AnyError makeTransferError(CURLcode result, int osErrno, std::string message, std::optional<URL> failingURL) {
  return makeError(URLError(urlErrorCode(result, osErrno), std::move(failingURL),
                            makeError(CurlError(result, std::move(message), osErrno))));
}

AnyError makeOversizedHeadError(bool requestHeadSent, std::optional<URL> failingURL) {
  if (requestHeadSent) return makeError(URLError(URLError::Code::cannotParseResponse, std::move(failingURL)));
  // The code alone would say only that some data was too long.
  return describedError(URLError::Code::dataLengthExceedsMaximum, std::move(failingURL),
                        "The request's head (its URL and header fields) is too large to send.");
}

AnyError makeSendsExhaustedError(int sends, std::optional<URL> failingURL) {
  return describedError(URLError::Code::networkConnectionLost, std::move(failingURL),
                        fmt::format("The request was sent {} times, and each time it was refused or its connection "
                                    "was lost before any answer.",
                                    sends));
}

}  // namespace platform
