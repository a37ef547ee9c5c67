#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "tests/Integration/RecordingSessionDelegate.h"

// A recording delegate that is also asked about redirects, authentication
// challenges and what to cache, records what it was asked, and answers as
// the test says. Unless told otherwise it follows redirects, handles
// challenges by default and caches what is proposed.
class DecidingSessionDelegate : public RecordingSessionDelegate {
 public:
  using RedirectAnswer =
      std::function<std::optional<platform::URLRequest>(const platform::HTTPURLResponse&, const platform::URLRequest&)>;
  using ChallengeAnswer =
      std::function<std::pair<platform::URLSessionAuthChallengeDisposition, std::optional<platform::URLCredential>>(
          const platform::URLAuthenticationChallenge&)>;
  using CacheAnswer =
      std::function<std::shared_ptr<platform::CachedURLResponse>(const std::shared_ptr<platform::CachedURLResponse>&)>;

  struct Redirect {
    int statusCode;
    platform::URLRequest newRequest;
  };

  DecidingSessionDelegate();

  void answerRedirectsWith(RedirectAnswer answer);
  void answerChallengesWith(ChallengeAnswer answer);
  void answerCacheOffersWith(CacheAnswer answer);

  std::vector<Redirect> redirects() const;
  std::vector<platform::URLAuthenticationChallenge> challenges() const;
  std::vector<std::shared_ptr<platform::CachedURLResponse>> cacheOffers() const;
  // The events of the latest task when the latest cache offer came.
  std::vector<std::string> eventsBeforeCacheOffer() const;

  void willPerformHTTPRedirection(SessionRef session, const std::shared_ptr<platform::URLSessionTask>& task,
                                  const std::shared_ptr<platform::HTTPURLResponse>& response,
                                  const platform::URLRequest& newRequest,
                                  platform::RedirectCompletionHandler completionHandler) override;
  void didReceiveChallenge(SessionRef session, const std::shared_ptr<platform::URLSessionTask>& task,
                           const platform::URLAuthenticationChallenge& challenge,
                           platform::ChallengeCompletionHandler completionHandler) override;
  void willCacheResponse(SessionRef session, const std::shared_ptr<platform::URLSessionDataTask>& task,
                         const std::shared_ptr<platform::CachedURLResponse>& proposedResponse,
                         platform::CacheCompletionHandler completionHandler) override;

 private:
  mutable std::mutex mutex_;
  RedirectAnswer redirectAnswer_;
  ChallengeAnswer challengeAnswer_;
  CacheAnswer cacheAnswer_;
  std::vector<Redirect> redirects_;
  std::vector<platform::URLAuthenticationChallenge> challenges_;
  std::vector<std::shared_ptr<platform::CachedURLResponse>> cacheOffers_;
  std::vector<std::string> eventsBeforeCacheOffer_;
};
