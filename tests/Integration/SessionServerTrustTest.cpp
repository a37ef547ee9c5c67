#include <gtest/gtest.h>

#include <chrono>
#include <future>

#include "Wendanet/Source/Core/Session.h"
#include "Wendanet/Source/Core/WNErrorCasts.h"
#include "Wendanet/Source/Support/ServerTrustEvaluators.h"
#include "tests/servers/TLSHttpbinServer.h"
#include "tests/servers/WebSocketEchoServer.h"

using namespace wendanet;
using testservers::TLSCertificates;
using testservers::TLSHttpbinServer;
using Kind = TLSCertificates::Kind;

namespace {

SecCertificateHandle testCA() { return platform::SecCertificate::make(TLSCertificates::shared().ca().der()); }

std::shared_ptr<Session> sessionTrusting(std::shared_ptr<ServerTrustManager> manager) {
  return Session::makeWithConfiguration(nullptr, nullptr, nullptr, {.serverTrustManager = std::move(manager)});
}

// A manager that pins the test CA for the loopback address, as the only anchor.
std::shared_ptr<ServerTrustManager> pinningTheTestCA(bool validateHost = true) {
  return ServerTrustManager::make(
      true, {{"127.0.0.1", std::make_shared<PinnedCertificatesTrustEvaluator>(SecCertificates{testCA()}, true, true,
                                                                               validateHost)}});
}

DataResponse<std::optional<platform::Data>> get(const std::shared_ptr<Session>& session, Kind kind) {
  std::promise<DataResponse<std::optional<platform::Data>>> delivered;
  session->requestWithParameters(std::make_shared<ConvertibleString>(TLSHttpbinServer::shared(kind).baseURL() + "/get"))
      ->response(platform::DispatchQueue::make("test.trust.handler"),
                 [&](const auto& response) { delivered.set_value(response); });
  auto future = delivered.get_future();
  if (future.wait_for(std::chrono::seconds(60)) != std::future_status::ready) std::abort();
  return future.get();
}

// The trust failure reason a response's error carries; null for none.
const ServerTrustFailureReason* trustFailure(const std::optional<WNError>& error) {
  if (!error) return nullptr;
  const auto* failed = std::get_if<WNError::ServerTrustEvaluationFailed>(&error->value());
  return failed ? &failed->reason : nullptr;
}

}  // namespace

TEST(SessionServerTrust, PinningTheTestCAAdmitsTheServerAndNothingElse) {
  const auto pinned = get(sessionTrusting(pinningTheTestCA()), Kind::valid);
  ASSERT_EQ(pinned.error(), std::nullopt) << pinned.error()->errorDescription();
  EXPECT_EQ(pinned.response()->statusCode(), 200);

  const auto expired = get(sessionTrusting(pinningTheTestCA()), Kind::expired);
  ASSERT_NE(trustFailure(expired.error()), nullptr);
  EXPECT_TRUE(std::holds_alternative<ServerTrustFailureReason::TrustEvaluationFailed>(
      trustFailure(expired.error())->value()));

  const auto wrongName = get(sessionTrusting(pinningTheTestCA()), Kind::wrongName);
  ASSERT_NE(trustFailure(wrongName.error()), nullptr);
  EXPECT_EQ(get(sessionTrusting(pinningTheTestCA(false)), Kind::wrongName).error(), std::nullopt);
}

TEST(SessionServerTrust, WithoutThePinTheServerIsRefused) {
  // No manager: the platform judges by the system's anchors, which do not
  // hold the test CA.
  const auto unmanaged = get(sessionTrusting(nullptr), Kind::valid);
  ASSERT_TRUE(unmanaged.error());
  EXPECT_TRUE(unmanaged.error()->isSessionTaskFailed()) << unmanaged.error()->errorDescription();

  const auto unrelated = platform::SecCertificate::make(TLSCertificates::shared().server(Kind::wrongName).der());
  const auto mispinned = get(
      sessionTrusting(ServerTrustManager::make(
          true, {{"127.0.0.1", std::make_shared<PinnedCertificatesTrustEvaluator>(SecCertificates{unrelated}, false,
                                                                                   false, false)}})),
      Kind::valid);
  ASSERT_NE(trustFailure(mispinned.error()), nullptr);
  EXPECT_TRUE(std::holds_alternative<ServerTrustFailureReason::CertificatePinningFailed>(
      trustFailure(mispinned.error())->value()));

  const auto unlisted = get(sessionTrusting(ServerTrustManager::make(true, {})), Kind::valid).error();
  ASSERT_NE(trustFailure(unlisted), nullptr);
  const auto* missing = std::get_if<ServerTrustFailureReason::NoRequiredEvaluator>(&trustFailure(unlisted)->value());
  ASSERT_NE(missing, nullptr);
  EXPECT_EQ(missing->host, "127.0.0.1");
}

TEST(SessionWebSocket, AMessageComesBackThroughTheSession) {
  testservers::WebSocketEchoServer server;
  const auto session = Session::makeWithConfiguration();
  const auto handlers = platform::DispatchQueue::make("test.socket.handler");
  std::promise<std::string> echoed;
  std::promise<std::optional<WNError>> completed;
  const auto socket = session->webSocketRequestWithDefaultEncoder(std::make_shared<ConvertibleString>(server.baseURL()));
  socket->streamMessageEvents(handlers, [&](const WebSocketRequest::MessageEvent& event) {
    if (const auto message = event.message()) echoed.set_value(std::get<std::string>(*message));
    if (const auto* done = std::get_if<WebSocketRequest::Completed>(&event.kind)) {
      completed.set_value(done->completion.error);
    }
  });
  socket->send(std::string("hello"), handlers, [](const WebSocketRequest::SendResult&) {});
  auto echo = echoed.get_future();
  ASSERT_EQ(echo.wait_for(std::chrono::seconds(60)), std::future_status::ready);
  EXPECT_EQ(echo.get(), "hello");
  socket->cancelWithCloseCode(WebSocketRequest::CloseCode::normalClosure, std::nullopt);
  auto end = completed.get_future();
  ASSERT_EQ(end.wait_for(std::chrono::seconds(60)), std::future_status::ready);
  EXPECT_EQ(end.get(), std::nullopt);
}
