#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "Platform/Foundation/URLError.h"
#include "Platform/Security/SecTrust.h"
#include "tests/Integration/RecordingSessionDelegate.h"
#include "tests/servers/TLSHttpbinServer.h"

using namespace platform;
using testservers::TLSCertificates;
using testservers::TLSHttpbinServer;
using Clock = std::chrono::steady_clock;

namespace {

using Kind = TLSCertificates::Kind;
using Answer = std::function<void(const URLAuthenticationChallenge&, ChallengeCompletionHandler)>;

struct SeenChallenge {
  std::uint64_t taskIdentifier = 0;
  URLAuthenticationChallenge challenge;
  bool onDelegateQueue = false;
};

// Records the server-trust challenges and answers them as the test says;
// without a say, the way every delegate does by default.
class TrustChallengeDelegate : public RecordingSessionDelegate {
 public:
  void answerChallengesWith(Answer answer) {
    std::lock_guard lock(mutex_);
    answer_ = std::move(answer);
  }

  std::vector<SeenChallenge> challenges() const {
    std::lock_guard lock(mutex_);
    return challenges_;
  }

  bool waitForChallenges(std::size_t count) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(30), [&] { return challenges_.size() >= count; });
  }

  void didReceiveChallenge(SessionRef session, const std::shared_ptr<URLSessionTask>& task,
                           const URLAuthenticationChallenge& challenge,
                           ChallengeCompletionHandler completionHandler) override {
    Answer answer;
    {
      std::lock_guard lock(mutex_);
      challenges_.push_back({task->taskIdentifier(), challenge, queue()->isCurrent()});
      answer = answer_;
    }
    changed_.notify_all();
    if (!answer) return URLSessionDelegate::didReceiveChallenge(session, task, challenge, completionHandler);
    answer(challenge, std::move(completionHandler));
  }

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  Answer answer_;
  std::vector<SeenChallenge> challenges_;
};

URLCredential credentialFor(std::shared_ptr<SecTrust> trust) {
  URLCredential credential;
  credential.serverTrust = std::move(trust);
  return credential;
}

Answer useTheTrust() {
  return [](const URLAuthenticationChallenge& challenge, ChallengeCompletionHandler handler) {
    handler(URLSessionAuthChallengeDisposition::useCredential, credentialFor(challenge.protectionSpace.serverTrust));
  };
}

Answer answerWith(URLSessionAuthChallengeDisposition disposition) {
  return [disposition](const URLAuthenticationChallenge&, ChallengeCompletionHandler handler) {
    handler(disposition, std::nullopt);
  };
}

// Judges the trust itself with `anchors` as the only anchors and the SSL
// policy (for the challenge's host when `validateHost`): a credential from
// the trust when it passes, a cancel otherwise. Keeps the refusal.
Answer evaluateAnchoredAt(SecTrust::Certificates anchors, bool validateHost,
                          std::shared_ptr<std::optional<SecTrustError>> refusal) {
  return [=](const URLAuthenticationChallenge& challenge, ChallengeCompletionHandler handler) {
    const auto& trust = challenge.protectionSpace.serverTrust;
    const auto host = validateHost ? std::optional(challenge.protectionSpace.host) : std::nullopt;
    trust->setPolicies({SecPolicy::makeSSL(true, host)});
    trust->setAnchorCertificates(anchors);
    const auto evaluated = trust->evaluateWithError();
    if (evaluated) return handler(URLSessionAuthChallengeDisposition::useCredential, credentialFor(trust));
    *refusal = evaluated.error();
    handler(URLSessionAuthChallengeDisposition::cancelAuthenticationChallenge, std::nullopt);
  };
}

std::shared_ptr<SecCertificate> testCA() { return SecCertificate::make(TLSCertificates::shared().ca().der()); }

URLRequest keptAliveRequestTo(Kind kind) {
  return URLRequest(*URL::string(TLSHttpbinServer::shared(kind).baseURL() + "/get"));
}

// The server closes the connection after the response, so the next task
// makes a new one and meets a challenge of its own.
URLRequest requestTo(Kind kind) {
  auto request = keptAliveRequestTo(kind);
  request.setValueForHTTPHeaderField("close", "Connection");
  return request;
}

class URLSessionServerTrust : public testing::Test {
 protected:
  void TearDown() override {
    session->invalidateAndCancel();
    EXPECT_TRUE(delegate->waitForInvalidation());
    EXPECT_EQ(delegate->lateCallbacks(), 0);
  }

  TaskRecord run(URLRequest request) {
    const auto task = session->dataTaskWithRequest(std::move(request));
    task->resume();
    return delegate->waitForCompletion(task);
  }

  // Runs against the server of `kind`, answering its challenge with `answer`.
  TaskRecord runAnswering(Kind kind, Answer answer) {
    delegate->answerChallengesWith(std::move(answer));
    return run(requestTo(kind));
  }

  std::shared_ptr<TrustChallengeDelegate> delegate = std::make_shared<TrustChallengeDelegate>();
  std::shared_ptr<URLSession> session = makeRecordingSession(delegate);
  std::shared_ptr<std::optional<SecTrustError>> refusal = std::make_shared<std::optional<SecTrustError>>();
};

}  // namespace

TEST_F(URLSessionServerTrust, TheChallengeNamesTheServerInLowerCaseAndCarriesItsChain) {
  delegate->answerChallengesWith(useTheTrust());
  const int port = TLSHttpbinServer::shared(Kind::valid).port();
  const auto task = session->dataTaskWithURL(*URL::string("https://LocalHost:" + std::to_string(port) + "/get"));
  task->resume();
  const auto record = delegate->waitForCompletion(task);
  EXPECT_EQ(record.errorCode(), 0);
  ASSERT_TRUE(record.response);
  EXPECT_EQ(std::dynamic_pointer_cast<HTTPURLResponse>(record.response)->statusCode(), 200);

  const auto challenges = delegate->challenges();
  ASSERT_EQ(challenges.size(), 1u);
  EXPECT_EQ(challenges[0].taskIdentifier, task->taskIdentifier());
  EXPECT_TRUE(challenges[0].onDelegateQueue);
  const auto& challenge = challenges[0].challenge;
  EXPECT_EQ(challenge.previousFailureCount, 0);
  EXPECT_FALSE(challenge.proposedCredential);
  const auto& space = challenge.protectionSpace;
  EXPECT_EQ(space.host, "localhost");
  EXPECT_EQ(space.port, port);
  EXPECT_EQ(space.protocol, "https");
  EXPECT_EQ(space.authenticationMethod, URLProtectionSpace::authenticationMethodServerTrust);
  EXPECT_FALSE(space.realm);
  ASSERT_TRUE(space.serverTrust);
  ASSERT_EQ(space.serverTrust->certificates().size(), 1u);
  EXPECT_EQ(space.serverTrust->certificates()[0]->data(), TLSCertificates::shared().server(Kind::valid).der());
  EXPECT_EQ(space.serverTrust->policies().at(0)->hostName(), "localhost");

  ASSERT_TRUE(record.metrics);
  EXPECT_TRUE(record.metrics->transactionMetrics.at(0).secureConnectionStartDate);
}

TEST_F(URLSessionServerTrust, DefaultHandlingRefusesAServerOutsideTheSystemsTrustAsUntrusted) {
  const auto record = runAnswering(Kind::valid, answerWith(URLSessionAuthChallengeDisposition::performDefaultHandling));
  EXPECT_EQ(record.errorCode(), -1202);
  EXPECT_EQ(record.count("response"), 0);
  EXPECT_EQ(delegate->challenges().size(), 1u);
  const auto* error = errorAs<URLError>(record.error);
  ASSERT_TRUE(error);
  EXPECT_EQ(error->failingURL(), keptAliveRequestTo(Kind::valid).url());
  const auto* trustError = errorAs<SecTrustError>(error->underlyingError());
  ASSERT_TRUE(trustError);
  EXPECT_EQ(trustError->status(), errSecNotTrusted);
}

TEST_F(URLSessionServerTrust, ADelegateThatLeavesChallengesAloneGetsTheDefaultHandling) {
  EXPECT_EQ(run(requestTo(Kind::valid)).errorCode(), -1202);
  EXPECT_EQ(delegate->challenges().size(), 1u);
}

TEST_F(URLSessionServerTrust, UseCredentialGoesOnOnlyWithTheChallengesOwnTrust) {
  EXPECT_EQ(runAnswering(Kind::valid, useTheTrust()).errorCode(), 0);
  // Not even the expiry is looked at: the delegate took the server as it is.
  EXPECT_EQ(runAnswering(Kind::expired, useTheTrust()).errorCode(), 0);

  const auto otherTrust = SecTrust::make({testCA()}, {});
  EXPECT_EQ(runAnswering(Kind::valid,
                         [&](const URLAuthenticationChallenge&, ChallengeCompletionHandler handler) {
                           handler(URLSessionAuthChallengeDisposition::useCredential, credentialFor(otherTrust));
                         })
                .errorCode(),
            -1202);
  EXPECT_EQ(runAnswering(Kind::valid, answerWith(URLSessionAuthChallengeDisposition::useCredential)).errorCode(),
            -1202);
}

TEST_F(URLSessionServerTrust, CancelFailsWithCancelledAsDoesAHandlerNobodyCalls) {
  const auto cancelled =
      runAnswering(Kind::valid, answerWith(URLSessionAuthChallengeDisposition::cancelAuthenticationChallenge));
  EXPECT_EQ(cancelled.errorCode(), -999);
  EXPECT_EQ(cancelled.events, (std::vector<std::string>{"metrics", "complete"}));
  EXPECT_EQ(runAnswering(Kind::valid, [](const URLAuthenticationChallenge&, ChallengeCompletionHandler) {}).errorCode(),
            -999);
  EXPECT_EQ(
      runAnswering(Kind::valid, answerWith(URLSessionAuthChallengeDisposition::rejectProtectionSpace)).errorCode(),
      -1202);
}

TEST_F(URLSessionServerTrust, HostValidationRefusesTheWrongNameWhichPassesWithoutIt) {
  const auto checked = runAnswering(Kind::wrongName, evaluateAnchoredAt({testCA()}, true, refusal));
  EXPECT_EQ(checked.errorCode(), -999);
  ASSERT_TRUE(*refusal);
  EXPECT_EQ((*refusal)->status(), errSecHostNameMismatch);

  EXPECT_EQ(runAnswering(Kind::wrongName, evaluateAnchoredAt({testCA()}, false, refusal)).errorCode(), 0);
  EXPECT_EQ(runAnswering(Kind::valid, evaluateAnchoredAt({testCA()}, true, refusal)).errorCode(), 0);
}

TEST_F(URLSessionServerTrust, TheExpiredCertificateFails) {
  EXPECT_EQ(runAnswering(Kind::expired, evaluateAnchoredAt({testCA()}, true, refusal)).errorCode(), -999);
  ASSERT_TRUE(*refusal);
  EXPECT_EQ((*refusal)->status(), errSecCertificateExpired);
  // The system does not know the test CA, which is what it finds first.
  EXPECT_EQ(
      runAnswering(Kind::expired, answerWith(URLSessionAuthChallengeDisposition::performDefaultHandling)).errorCode(),
      -1202);
}

TEST_F(URLSessionServerTrust, PinningTheTestCAPassesAndPinningAnUnrelatedCertificateFails) {
  EXPECT_EQ(runAnswering(Kind::valid, evaluateAnchoredAt({testCA()}, true, refusal)).errorCode(), 0);

  const auto unrelated = SecCertificate::make(
      testservers::TestIdentity::issue(testservers::CertificateSpec::authority("Unrelated CA")).der());
  EXPECT_EQ(runAnswering(Kind::valid, evaluateAnchoredAt({unrelated}, true, refusal)).errorCode(), -999);
  ASSERT_TRUE(*refusal);
  EXPECT_EQ((*refusal)->status(), errSecNotTrusted);
}

TEST_F(URLSessionServerTrust, EveryNewConnectionIsChallengedAndAReusedOneIsNot) {
  delegate->answerChallengesWith(useTheTrust());
  const auto first = session->dataTaskWithRequest(requestTo(Kind::valid));
  const auto second = session->dataTaskWithRequest(keptAliveRequestTo(Kind::valid));
  const auto third = session->dataTaskWithRequest(keptAliveRequestTo(Kind::valid));
  for (const auto& task : {first, second, third}) {
    task->resume();
    EXPECT_EQ(delegate->waitForCompletion(task).errorCode(), 0);
  }

  std::vector<std::uint64_t> challenged;
  for (const auto& seen : delegate->challenges()) challenged.push_back(seen.taskIdentifier);
  EXPECT_EQ(challenged, (std::vector<std::uint64_t>{first->taskIdentifier(), second->taskIdentifier()}));
  const auto records = delegate->records();
  ASSERT_EQ(records.size(), 3u);
  EXPECT_FALSE(records[1].metrics->transactionMetrics.at(0).isReusedConnection);
  EXPECT_TRUE(records[2].metrics->transactionMetrics.at(0).isReusedConnection);
}

// A challenge the delegate holds on to, for the tests of what ends the
// wait for its answer; the request would wait two minutes.
class HeldServerTrustChallenge : public URLSessionServerTrust {
 protected:
  void SetUp() override {
    delegate->answerChallengesWith([this](const URLAuthenticationChallenge&, ChallengeCompletionHandler handler) {
      std::lock_guard lock(mutex);
      held = std::move(handler);
      heldChanged.notify_all();
    });
    auto request = requestTo(Kind::valid);
    request.setTimeoutInterval(120);
    task = session->dataTaskWithRequest(request);
    task->resume();
    ASSERT_TRUE(delegate->waitForChallenges(1));
    // The challenge is counted before the handler reaches the test.
    std::unique_lock lock(mutex);
    ASSERT_TRUE(heldChanged.wait_for(lock, std::chrono::seconds(10), [this] { return held != nullptr; }));
  }

  // Answers the held challenge after the fact, which changes nothing.
  void TearDown() override {
    {
      std::lock_guard lock(mutex);
      if (held) held(URLSessionAuthChallengeDisposition::useCredential, std::nullopt);
      held = nullptr;
    }
    URLSessionServerTrust::TearDown();
  }

  std::mutex mutex;
  std::condition_variable heldChanged;
  ChallengeCompletionHandler held;
  std::shared_ptr<URLSessionDataTask> task;
};

TEST_F(HeldServerTrustChallenge, CancellingTheTaskEndsTheWait) {
  task->cancel();
  const auto record = delegate->waitForCompletion(task, std::chrono::seconds(10));
  EXPECT_EQ(record.errorCode(), -999);
  // The engine goes on with other work.
  delegate->answerChallengesWith(useTheTrust());
  EXPECT_EQ(run(requestTo(Kind::valid)).errorCode(), 0);
}

TEST_F(HeldServerTrustChallenge, InvalidatingAndCancellingTheSessionEndsTheWait) {
  session->invalidateAndCancel();
  EXPECT_EQ(delegate->waitForCompletion(task, std::chrono::seconds(10)).errorCode(), -999);
  EXPECT_TRUE(delegate->waitForInvalidation(std::chrono::seconds(10)));
}

TEST_F(HeldServerTrustChallenge, AnAnswerFromAnotherThreadEndsTheWait) {
  std::thread([this] {
    std::lock_guard lock(mutex);
    held(URLSessionAuthChallengeDisposition::performDefaultHandling, std::nullopt);
  }).join();
  EXPECT_EQ(delegate->waitForCompletion(task, std::chrono::seconds(10)).errorCode(), -1202);
}

TEST_F(URLSessionServerTrust, AChallengeLeftUnansweredTimesOutWithTheRequest) {
  ChallengeCompletionHandler held;
  delegate->answerChallengesWith(
      [&](const URLAuthenticationChallenge&, ChallengeCompletionHandler handler) { held = std::move(handler); });
  auto request = requestTo(Kind::valid);
  request.setTimeoutInterval(1);
  const auto started = Clock::now();
  EXPECT_EQ(run(request).errorCode(), -1001);
  EXPECT_GE(Clock::now() - started, std::chrono::milliseconds(900));
}

TEST(URLSessionServerTrustWithoutDelegate, TheSystemJudgesTheServer) {
  const auto session = URLSession::make(URLSessionConfiguration::ephemeralConfiguration());
  const auto task = session->dataTaskWithRequest(requestTo(Kind::valid));
  task->resume();
  const auto deadline = Clock::now() + std::chrono::seconds(30);
  while (task->state() != URLSessionTask::State::completed && Clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  const auto* error = errorAs<URLError>(task->error());
  ASSERT_TRUE(error);
  EXPECT_EQ(error->code(), URLError::Code::serverCertificateUntrusted);
  session->finishTasksAndInvalidate();
}
