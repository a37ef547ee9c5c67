#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Wendanet/Source/Policies/AuthenticationInterceptor.h"
#include "tests/Wendanet/Policies/PolicyTestSupport.h"
#include "tests/Wendanet/TestErrors.h"

using namespace wendanet;
using namespace wendanet::testing;

namespace {

struct Token {
  std::string value;
  bool expired = false;
  bool requiresRefresh() const { return expired; }
};

// Signs with a bearer header, counts 401 as an authentication failure, and
// holds each refresh until the test answers it.
class TokenAuthenticator final : public Authenticator<Token> {
 public:
  void apply(const Token& token, platform::URLRequest& urlRequest) override {
    urlRequest.setValueForHTTPHeaderField("Bearer " + token.value, "Authorization");
  }
  void refresh(const Token& token, const std::shared_ptr<Session>&, RefreshCompletion completion) override {
    std::lock_guard lock(mutex_);
    refreshedTokens.push_back(token.value);
    pending_.push_back(std::move(completion));
  }
  bool didRequestFailDueToAuthenticationError(const platform::URLRequest&, const platform::HTTPURLResponse& response,
                                              const platform::AnyError&) override {
    return response.statusCode() == 401;
  }
  bool isRequestAuthenticatedWithCredential(const platform::URLRequest& urlRequest, const Token& token) override {
    return urlRequest.valueForHTTPHeaderField("Authorization") == "Bearer " + token.value;
  }

  // Answers the oldest refresh still open.
  void answer(RefreshResult result) {
    RefreshCompletion completion;
    {
      std::lock_guard lock(mutex_);
      ASSERT_FALSE(pending_.empty()) << "no refresh is running";
      completion = std::move(pending_.front());
      pending_.erase(pending_.begin());
    }
    completion(std::move(result));
  }

  std::vector<std::string> refreshedTokens;

 private:
  std::mutex mutex_;
  std::vector<RefreshCompletion> pending_;
};

using Interceptor = AuthenticationInterceptor<TokenAuthenticator>;

class AuthenticationInterceptorTest : public ::testing::Test {
 protected:
  std::shared_ptr<Interceptor> makeInterceptor(std::optional<Token> token,
                                               std::optional<Interceptor::RefreshWindow> window = std::nullopt) {
    return Interceptor::make(authenticator, std::move(token), window, [this] { return now; });
  }

  // Lets everything submitted to the interceptor's queue run.
  void drain() { interceptor->queue()->sync([] {}); }

  void adapt(const std::string& name) {
    interceptor->adapt(makeURLRequest("https://example.com/"), nullptr, [this, name](AdaptResult result) {
      std::lock_guard lock(mutex);
      log.push_back("adapt " + name + ": " +
                    (result ? result->valueForHTTPHeaderField("Authorization").value_or("unsigned")
                            : result.error()->description()));
    });
  }

  void retry(const std::string& name, const FailedAttempt& attempt) {
    interceptor->retry(makeFailedRequest(attempt), nullptr, testError(), [this, name](RetryResult result) {
      std::lock_guard lock(mutex);
      log.push_back("retry " + name + ": " + describe(result));
    });
  }

  std::vector<std::string> takeLog() {
    std::lock_guard lock(mutex);
    return std::exchange(log, {});
  }

  static FailedAttempt unauthorized(const std::string& token) {
    return {.statusCode = 401, .authorization = "Bearer " + token};
  }

  std::shared_ptr<TokenAuthenticator> authenticator = std::make_shared<TokenAuthenticator>();
  double now = 1000;
  std::shared_ptr<Interceptor> interceptor;
  std::mutex mutex;
  std::vector<std::string> log;
};

}  // namespace

TEST_F(AuthenticationInterceptorTest, SignsAtOnceWithAFreshCredentialOrFailsWithoutOne) {
  interceptor = makeInterceptor(Token{"a"});
  adapt("1");
  EXPECT_EQ(takeLog(), std::vector<std::string>{"adapt 1: Bearer a"});

  interceptor->setCredential(std::nullopt);
  adapt("2");
  EXPECT_EQ(takeLog(), std::vector<std::string>{"adapt 2: AuthenticationError.missingCredential"});
  EXPECT_TRUE(authenticator->refreshedTokens.empty());
}

TEST_F(AuthenticationInterceptorTest, HeldAdaptsAndRetriesAreReleasedInOrderAfterOneRefresh) {
  interceptor = makeInterceptor(Token{"old", true});
  adapt("1");
  adapt("2");
  retry("A", unauthorized("old"));
  adapt("3");
  retry("B", unauthorized("old"));
  drain();
  EXPECT_TRUE(takeLog().empty());
  EXPECT_EQ(authenticator->refreshedTokens, std::vector<std::string>{"old"});

  authenticator->answer(Token{"new"});
  drain();
  EXPECT_EQ(takeLog(), (std::vector<std::string>{"adapt 1: Bearer new", "adapt 2: Bearer new", "adapt 3: Bearer new",
                                                 "retry A: retry", "retry B: retry"}));
  EXPECT_EQ(interceptor->credential()->value, "new");
}

TEST_F(AuthenticationInterceptorTest, ConcurrentAdaptsStartOnlyOneRefresh) {
  interceptor = makeInterceptor(Token{"old", true});
  std::vector<std::jthread> threads;
  for (int thread = 0; thread < 8; ++thread) {
    threads.emplace_back([this, thread] {
      for (int call = 0; call < 25; ++call) adapt(std::to_string(thread));
    });
  }
  threads.clear();
  drain();
  EXPECT_EQ(authenticator->refreshedTokens.size(), 1u);

  authenticator->answer(Token{"new"});
  drain();
  const auto lines = takeLog();
  EXPECT_EQ(lines.size(), 200u);
  for (const auto& line : lines) EXPECT_TRUE(line.ends_with(": Bearer new")) << line;
}

TEST_F(AuthenticationInterceptorTest, NewCredentialThatNeedsRefreshStartsAnother) {
  interceptor = makeInterceptor(Token{"one", true});
  adapt("1");
  drain();
  authenticator->answer(Token{"two", true});
  drain();  // releases the held adapt, which submits the second refresh
  drain();
  EXPECT_EQ(authenticator->refreshedTokens, (std::vector<std::string>{"one", "two"}));
  EXPECT_TRUE(takeLog().empty());
  authenticator->answer(Token{"three"});
  drain();
  EXPECT_EQ(takeLog(), std::vector<std::string>{"adapt 1: Bearer three"});
}

TEST_F(AuthenticationInterceptorTest, RetryDecisionsWithoutARefresh) {
  interceptor = makeInterceptor(Token{"current"});
  retry("older credential", unauthorized("previous"));
  retry("not an auth failure", {.statusCode = 500, .authorization = "Bearer current"});
  retry("no response", {.authorization = "Bearer current"});
  retry("no URL request", {.method = std::nullopt});
  EXPECT_EQ(takeLog(), (std::vector<std::string>{"retry older credential: retry", "retry not an auth failure: doNotRetry",
                                                 "retry no response: doNotRetry", "retry no URL request: doNotRetry"}));
  EXPECT_TRUE(authenticator->refreshedTokens.empty());

  interceptor->setCredential(std::nullopt);
  retry("no credential", unauthorized("current"));
  EXPECT_EQ(takeLog(),
            std::vector<std::string>{"retry no credential: doNotRetryWithError AuthenticationError.missingCredential"});
}

TEST_F(AuthenticationInterceptorTest, FailedRefreshFailsEveryoneWaitingAndKeepsTheCredential) {
  interceptor = makeInterceptor(Token{"old", true});
  adapt("1");
  retry("A", unauthorized("old"));
  drain();
  authenticator->answer(std::unexpected(testError(3)));
  drain();
  EXPECT_EQ(takeLog(), (std::vector<std::string>{"adapt 1: TestError(code: 3)",
                                                 "retry A: doNotRetryWithError TestError(code: 3)"}));
  EXPECT_EQ(interceptor->credential()->value, "old");
}

TEST_F(AuthenticationInterceptorTest, SettingTheCredentialDuringARefreshReleasesNothing) {
  interceptor = makeInterceptor(Token{"old", true});
  adapt("1");
  drain();
  interceptor->setCredential(Token{"manual"});
  drain();
  EXPECT_TRUE(takeLog().empty());
  authenticator->answer(Token{"refreshed"});
  drain();
  EXPECT_EQ(takeLog(), std::vector<std::string>{"adapt 1: Bearer refreshed"});
}

TEST_F(AuthenticationInterceptorTest, RefreshesBeyondTheWindowFailAsExcessiveUntilItPasses) {
  interceptor = makeInterceptor(Token{"t0"}, Interceptor::RefreshWindow{.interval = 30, .maximumAttempts = 2});
  const auto refreshAt = [&](double time, const std::string& token, const std::string& next) {
    now = time;
    retry(token, unauthorized(token));
    drain();
    if (authenticator->refreshedTokens.empty() || authenticator->refreshedTokens.back() != token) return;
    authenticator->answer(Token{next});
    drain();
  };
  refreshAt(0, "t0", "t1");
  refreshAt(10, "t1", "t2");
  EXPECT_EQ(takeLog(), (std::vector<std::string>{"retry t0: retry", "retry t1: retry"}));

  refreshAt(20, "t2", "t3");
  EXPECT_EQ(takeLog(),
            std::vector<std::string>{"retry t2: doNotRetryWithError AuthenticationError.excessiveRefresh"});
  EXPECT_EQ(authenticator->refreshedTokens.size(), 2u);

  // Idle again: the credential still signs at once.
  adapt("after");
  EXPECT_EQ(takeLog(), std::vector<std::string>{"adapt after: Bearer t2"});

  // Once the first two have left the window, a refresh may start again.
  refreshAt(41, "t2", "t3");
  EXPECT_EQ(takeLog(), std::vector<std::string>{"retry t2: retry"});
  EXPECT_EQ(authenticator->refreshedTokens.size(), 3u);
}

TEST_F(AuthenticationInterceptorTest, NonPositiveMaximumRefusesEveryRefresh) {
  interceptor = makeInterceptor(Token{"old", true}, Interceptor::RefreshWindow{.interval = 30, .maximumAttempts = 0});
  adapt("1");
  drain();
  EXPECT_EQ(takeLog(), std::vector<std::string>{"adapt 1: AuthenticationError.excessiveRefresh"});
  EXPECT_TRUE(authenticator->refreshedTokens.empty());
}

TEST_F(AuthenticationInterceptorTest, WithoutAWindowRefreshesAreNeverRefused) {
  interceptor = makeInterceptor(Token{"t"});
  for (int round = 0; round < 10; ++round) {
    retry("r", unauthorized("t"));
    drain();
    authenticator->answer(Token{"t"});
    drain();
  }
  EXPECT_EQ(authenticator->refreshedTokens.size(), 10u);
  EXPECT_EQ(takeLog(), std::vector<std::string>(10, "retry r: retry"));
}
