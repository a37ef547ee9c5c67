#include <gtest/gtest.h>
#include <signal.h>

#include <cerrno>

#include "tests/Integration/CurlTransfer.h"
#include "tests/servers/TLSHttpbinServer.h"

using testservers::TLSCertificates;
using testservers::TLSHttpbinServer;

namespace {

using Kind = TLSCertificates::Kind;

// Verification against the test CA only, as any TLS client would do it.
std::function<void(CURL*)> trustingTheTestCA(bool checkHost = true) {
  return [checkHost](CURL* easy) {
    curl_easy_setopt(easy, CURLOPT_CAINFO, TLSCertificates::shared().caCertificatePath().c_str());
    curl_easy_setopt(easy, CURLOPT_CAPATH, nullptr);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, checkHost ? 2L : 0L);
  };
}

std::string getURL(Kind kind) { return TLSHttpbinServer::shared(kind).baseURL() + "/get"; }

}  // namespace

TEST(TLSHttpbinFixture, TheValidServerIsTrustedThroughTheTestCAByAddressAndByName) {
  const auto byAddress = curlGet(getURL(Kind::valid), trustingTheTestCA());
  EXPECT_EQ(byAddress.code, CURLE_OK) << curl_easy_strerror(byAddress.code);
  EXPECT_EQ(byAddress.status, 200);

  const int port = TLSHttpbinServer::shared(Kind::valid).port();
  const std::string localhost = "localhost:" + std::to_string(port) + ":127.0.0.1";
  const std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)> resolve(
      curl_slist_append(nullptr, localhost.c_str()), curl_slist_free_all);
  const auto byName = curlGet("https://localhost:" + std::to_string(port) + "/get", [&](CURL* easy) {
    trustingTheTestCA()(easy);
    curl_easy_setopt(easy, CURLOPT_RESOLVE, resolve.get());
  });
  EXPECT_EQ(byName.code, CURLE_OK) << curl_easy_strerror(byName.code);
  EXPECT_EQ(byName.status, 200);
}

TEST(TLSHttpbinFixture, TheSystemAnchorsDoNotTrustTheTestCA) {
  EXPECT_EQ(curlGet(getURL(Kind::valid)).code, CURLE_PEER_FAILED_VERIFICATION);
}

TEST(TLSHttpbinFixture, TheExpiredServerIsRefusedEvenThroughTheTestCA) {
  EXPECT_EQ(curlGet(getURL(Kind::expired), trustingTheTestCA()).code, CURLE_PEER_FAILED_VERIFICATION);
  const auto unchecked = curlGet(getURL(Kind::expired), [](CURL* easy) {
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 0L);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 0L);
  });
  EXPECT_EQ(unchecked.status, 200);
}

TEST(TLSHttpbinFixture, TheWrongNameServerPassesOnlyWithoutAHostCheck) {
  EXPECT_EQ(curlGet(getURL(Kind::wrongName), trustingTheTestCA()).code, CURLE_PEER_FAILED_VERIFICATION);
  EXPECT_EQ(curlGet(getURL(Kind::wrongName), trustingTheTestCA(false)).status, 200);
}

TEST(TLSHttpbinFixture, EachKindHasItsOwnServerAndCertificate) {
  const auto& certificates = TLSCertificates::shared();
  EXPECT_NE(TLSHttpbinServer::shared(Kind::valid).port(), TLSHttpbinServer::shared(Kind::expired).port());
  EXPECT_NE(certificates.server(Kind::valid).der(), certificates.server(Kind::wrongName).der());
  EXPECT_TRUE(std::filesystem::exists(certificates.certificatePath(Kind::expired)));
  EXPECT_TRUE(std::filesystem::exists(certificates.keyPath(Kind::expired)));
}

TEST(TLSHttpbinFixture, StoppedServerIsGoneAndItsPortClosed) {
  TLSHttpbinServer server(Kind::valid);
  const pid_t pid = server.pid();
  ASSERT_EQ(testservers::loopbackHTTPSStatus(server.port(), "/status/204"), 204);
  server.stop();
  EXPECT_FALSE(testservers::loopbackPortAccepts(server.port()));
  EXPECT_EQ(::kill(-pid, 0), -1);
  EXPECT_EQ(errno, ESRCH);
}
