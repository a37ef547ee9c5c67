#include <gtest/gtest.h>

#include "Wendanet/Source/Core/SessionDelegate.h"
#include "Wendanet/Source/Core/WNErrorCasts.h"
#include "Wendanet/Source/Support/ServerTrustManager.h"
#include "tests/Wendanet/RequestTestDoubles.h"
#include "tests/Wendanet/TestErrors.h"
#include "tests/servers/TestCertificates.h"

using namespace wendanet;
using platform::URLProtectionSpace;
using platform::URLSessionAuthChallengeDisposition;
using wendanet::testing::FakeTask;
using wendanet::testing::Log;

namespace {

// A session stand-in: one request for every task, policies as set.
class FakeStateProvider final : public SessionStateProvider {
 public:
  std::shared_ptr<Request> request;
  std::shared_ptr<ServerTrustManager> manager;
  std::shared_ptr<RedirectHandler> redirect;
  std::optional<platform::URLCredential> credential;
  std::move_only_function<void()> parkedCompletion;

  std::shared_ptr<ServerTrustManager> serverTrustManager() const override { return manager; }
  std::shared_ptr<RedirectHandler> redirectHandler() const override { return redirect; }
  std::shared_ptr<CachedResponseHandler> cachedResponseHandler() const override { return nullptr; }
  std::shared_ptr<Request> requestForTask(const std::shared_ptr<platform::URLSessionTask>&) override { return request; }
  void didGatherMetricsForTask(const std::shared_ptr<platform::URLSessionTask>&) override {}
  void didCompleteTask(const std::shared_ptr<platform::URLSessionTask>&,
                       std::move_only_function<void()> completion) override {
    parkedCompletion = std::move(completion);
  }
  std::optional<platform::URLCredential> credentialForChallenge(const std::shared_ptr<platform::URLSessionTask>&,
                                                                const URLProtectionSpace&) override {
    return credential;
  }
  void cancelRequestsForSessionInvalidation(const platform::AnyError&) override {}
};

// Answers every redirect with a fixed URL request.
class RedirectTo final : public RedirectHandler {
 public:
  explicit RedirectTo(const char* url) : request_(*platform::URL::string(url)) {}
  void decideRedirect(const std::shared_ptr<platform::URLSessionTask>&, const platform::URLRequest&,
                      const std::shared_ptr<const platform::HTTPURLResponse>&, Completion completion) override {
    completion(request_);
  }

 private:
  platform::URLRequest request_;
};

// A trust over a self-signed certificate; nothing here evaluates it.
SecTrustHandle selfSignedTrust() {
  const auto identity = testservers::TestIdentity::issue(testservers::CertificateSpec::authority("Delegate Test"));
  return platform::SecTrust::make({platform::SecCertificate::make(identity.der())}, {});
}

struct Answer {
  URLSessionAuthChallengeDisposition disposition;
  std::optional<platform::URLCredential> credential;
};

class SessionDelegateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    provider->request = Request::make({.underlyingQueue = queue});
    delegate->setStateProvider(provider);
  }

  // The delegate runs on the request's queue, as the session's does.
  Answer challenge(std::string_view method, int previousFailureCount = 0) {
    platform::URLAuthenticationChallenge challenge;
    challenge.protectionSpace.host = "127.0.0.1";
    challenge.protectionSpace.authenticationMethod = std::string(method);
    challenge.previousFailureCount = previousFailureCount;
    if (method == URLProtectionSpace::authenticationMethodServerTrust) {
      challenge.protectionSpace.serverTrust = selfSignedTrust();
    }
    std::optional<Answer> answer;
    queue->sync([&] {
      delegate->didReceiveChallenge(nullptr, task, challenge, [&](auto disposition, auto credential) {
        answer = Answer{disposition, credential};
      });
    });
    return *answer;
  }

  const std::shared_ptr<platform::DispatchQueue> queue = platform::DispatchQueue::make("test.delegate");
  const std::shared_ptr<Log> log = std::make_shared<Log>();
  const std::shared_ptr<platform::URLSessionTask> task =
      std::make_shared<FakeTask>(log, platform::URLRequest(*platform::URL::string("https://127.0.0.1/")));
  const std::shared_ptr<FakeStateProvider> provider = std::make_shared<FakeStateProvider>();
  const std::shared_ptr<SessionDelegate> delegate = SessionDelegate::make();
};

}  // namespace

TEST_F(SessionDelegateTest, CredentialChallengesAskTheSessionOnlyOnTheFirstTry) {
  EXPECT_EQ(challenge(URLProtectionSpace::authenticationMethodHTTPBasic).disposition,
            URLSessionAuthChallengeDisposition::performDefaultHandling);
  provider->credential = platform::URLCredential{.user = "ada", .password = "secret", .serverTrust = nullptr};
  const auto answered = challenge(URLProtectionSpace::authenticationMethodHTTPDigest);
  EXPECT_EQ(answered.disposition, URLSessionAuthChallengeDisposition::useCredential);
  EXPECT_EQ(answered.credential, provider->credential);
  const auto retried = challenge(URLProtectionSpace::authenticationMethodHTTPBasic, 1);
  EXPECT_EQ(retried.disposition, URLSessionAuthChallengeDisposition::rejectProtectionSpace);
  EXPECT_EQ(retried.credential, std::nullopt);
  EXPECT_EQ(challenge(URLProtectionSpace::authenticationMethodDefault).disposition,
            URLSessionAuthChallengeDisposition::performDefaultHandling);
}

TEST_F(SessionDelegateTest, ServerTrustIsLeftToThePlatformWithoutAnEvaluator) {
  EXPECT_EQ(challenge(URLProtectionSpace::authenticationMethodServerTrust).disposition,
            URLSessionAuthChallengeDisposition::performDefaultHandling);
  provider->manager = ServerTrustManager::make(false, {});
  EXPECT_EQ(challenge(URLProtectionSpace::authenticationMethodServerTrust).disposition,
            URLSessionAuthChallengeDisposition::performDefaultHandling);
  EXPECT_EQ(provider->request->error(), std::nullopt);
}

TEST_F(SessionDelegateTest, ARefusedTrustCancelsTheChallengeAndFailsTheRequestEarly) {
  class Refusing final : public ServerTrustEvaluating {
   public:
    void evaluate(const SecTrustHandle&, const std::string&) const override { throw wendanet::testing::TestError(); }
  };
  provider->manager = ServerTrustManager::make(true, {{"127.0.0.1", std::make_shared<Refusing>()}});
  const auto answer = challenge(URLProtectionSpace::authenticationMethodServerTrust);
  EXPECT_EQ(answer.disposition, URLSessionAuthChallengeDisposition::cancelAuthenticationChallenge);
  const auto error = provider->request->error();
  ASSERT_TRUE(error);
  const auto* failed = std::get_if<WNError::ServerTrustEvaluationFailed>(&error->value());
  ASSERT_NE(failed, nullptr);
  EXPECT_TRUE(std::holds_alternative<ServerTrustFailureReason::CustomEvaluationFailed>(failed->reason.value()));
}

TEST_F(SessionDelegateTest, TheRequestsRedirectHandlerComesBeforeTheSessions) {
  const platform::URLRequest proposed(*platform::URL::string("https://127.0.0.1/next"));
  const auto redirect = [&] {
    std::optional<platform::URLRequest> followed;
    queue->sync([&] {
      delegate->willPerformHTTPRedirection(nullptr, task, nullptr, proposed,
                                           [&](std::optional<platform::URLRequest> next) { followed = next; });
    });
    return followed ? followed->url()->absoluteString() : "none";
  };
  EXPECT_EQ(redirect(), "https://127.0.0.1/next");
  provider->redirect = std::make_shared<RedirectTo>("https://127.0.0.1/session");
  EXPECT_EQ(redirect(), "https://127.0.0.1/session");
  provider->request->setRedirectHandler(std::make_shared<RedirectTo>("https://127.0.0.1/request"));
  EXPECT_EQ(redirect(), "https://127.0.0.1/request");
}

TEST_F(SessionDelegateTest, ACompletionReachesTheRequestOnlyWhenTheSessionRunsIt) {
  queue->sync([&] { delegate->didCompleteWithError(nullptr, task, wendanet::testing::testError()); });
  EXPECT_TRUE(provider->parkedCompletion);
  EXPECT_EQ(provider->request->error(), std::nullopt);
  queue->sync([&] { provider->parkedCompletion(); });
  const auto error = provider->request->error();
  ASSERT_TRUE(error);
  EXPECT_TRUE(error->isSessionTaskFailed());
}

TEST_F(SessionDelegateTest, AGoneSessionGetsThePassThroughAnswers) {
  delegate->setStateProvider(std::weak_ptr<SessionStateProvider>());
  provider->credential = platform::URLCredential{.user = "ada", .password = "secret", .serverTrust = nullptr};
  EXPECT_EQ(challenge(URLProtectionSpace::authenticationMethodHTTPBasic).disposition,
            URLSessionAuthChallengeDisposition::performDefaultHandling);
  EXPECT_EQ(challenge(URLProtectionSpace::authenticationMethodHTTPBasic, 2).disposition,
            URLSessionAuthChallengeDisposition::rejectProtectionSpace);
  std::optional<platform::URLSessionResponseDisposition> response;
  delegate->didReceiveResponse(nullptr, nullptr, nullptr, [&](auto disposition) { response = disposition; });
  EXPECT_EQ(response, platform::URLSessionResponseDisposition::allow);
}
