#include "Platform/URLLoading/Engine/URLErrorMapping.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "Platform/URLLoading/Engine/CurlError.h"

using namespace platform;
using Code = URLError::Code;

TEST(URLErrorMapping, ConnectFailuresAreToldApartByTheSystemError) {
  EXPECT_EQ(urlErrorCode(CURLE_COULDNT_CONNECT, ECONNREFUSED), Code::cannotConnectToHost);
  EXPECT_EQ(urlErrorCode(CURLE_COULDNT_CONNECT, ENETUNREACH), Code::notConnectedToInternet);
  EXPECT_EQ(urlErrorCode(CURLE_COULDNT_CONNECT, EHOSTUNREACH), Code::notConnectedToInternet);
  EXPECT_EQ(urlErrorCode(CURLE_COULDNT_CONNECT, ETIMEDOUT), Code::timedOut);
  EXPECT_EQ(urlErrorCode(CURLE_COULDNT_CONNECT, 0), Code::cannotConnectToHost);
}

TEST(URLErrorMapping, TransferFailuresMapToThePlatformsCodes) {
  EXPECT_EQ(urlErrorCode(CURLE_COULDNT_RESOLVE_HOST, 0), Code::cannotFindHost);
  EXPECT_EQ(urlErrorCode(CURLE_OPERATION_TIMEDOUT, 0), Code::timedOut);
  EXPECT_EQ(urlErrorCode(CURLE_RECV_ERROR, ECONNRESET), Code::networkConnectionLost);
  EXPECT_EQ(urlErrorCode(CURLE_PARTIAL_FILE, 0), Code::networkConnectionLost);
  EXPECT_EQ(urlErrorCode(CURLE_GOT_NOTHING, 0), Code::networkConnectionLost);
  EXPECT_EQ(urlErrorCode(CURLE_BAD_CONTENT_ENCODING, 0), Code::cannotDecodeContentData);
  EXPECT_EQ(urlErrorCode(CURLE_SSL_CONNECT_ERROR, 0), Code::secureConnectionFailed);
  EXPECT_EQ(urlErrorCode(CURLE_PEER_FAILED_VERIFICATION, 0), Code::serverCertificateUntrusted);
  EXPECT_EQ(urlErrorCode(CURLE_UNSUPPORTED_PROTOCOL, 0), Code::badServerResponse);
  EXPECT_EQ(urlErrorCode(CURLE_URL_MALFORMAT, 0), Code::badURL);
  EXPECT_EQ(urlErrorCode(CURLE_SEND_FAIL_REWIND, 0), Code::requestBodyStreamExhausted);
  EXPECT_EQ(urlErrorCode(CURLE_LDAP_CANNOT_BIND, 0), Code::unknown);
}

TEST(URLErrorMapping, TheErrorCarriesTheFailingURLAndTheLibrarysReport) {
  const auto url = URL::string("http://127.0.0.1:1/");
  const auto error = makeTransferError(CURLE_COULDNT_CONNECT, ECONNREFUSED, "Connection refused", url);
  const auto* urlError = errorAs<URLError>(error);
  ASSERT_TRUE(urlError);
  EXPECT_EQ(urlError->code(), Code::cannotConnectToHost);
  EXPECT_EQ(urlError->failingURL(), url);
  const auto* report = errorAs<CurlError>(urlError->underlyingError());
  ASSERT_TRUE(report);
  EXPECT_EQ(report->osErrno(), ECONNREFUSED);
  EXPECT_EQ(report->description(), "curl error 7: Connection refused");
  EXPECT_EQ(CurlError(CURLE_COULDNT_CONNECT, "", 0).description(), "curl error 7: Couldn't connect to server");
}
