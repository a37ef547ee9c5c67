#include "tests/Integration/DecidingSessionDelegate.h"

using namespace platform;

DecidingSessionDelegate::DecidingSessionDelegate()
    : redirectAnswer_([](const HTTPURLResponse&, const URLRequest& request) { return request; }),
      challengeAnswer_([](const URLAuthenticationChallenge&) {
        return std::pair{URLSessionAuthChallengeDisposition::performDefaultHandling, std::optional<URLCredential>()};
      }),
      cacheAnswer_([](const std::shared_ptr<CachedURLResponse>& proposed) { return proposed; }) {}

void DecidingSessionDelegate::answerRedirectsWith(RedirectAnswer answer) {
  std::lock_guard lock(mutex_);
  redirectAnswer_ = std::move(answer);
}

void DecidingSessionDelegate::answerChallengesWith(ChallengeAnswer answer) {
  std::lock_guard lock(mutex_);
  challengeAnswer_ = std::move(answer);
}

void DecidingSessionDelegate::answerCacheOffersWith(CacheAnswer answer) {
  std::lock_guard lock(mutex_);
  cacheAnswer_ = std::move(answer);
}

std::vector<DecidingSessionDelegate::Redirect> DecidingSessionDelegate::redirects() const {
  std::lock_guard lock(mutex_);
  return redirects_;
}

std::vector<URLAuthenticationChallenge> DecidingSessionDelegate::challenges() const {
  std::lock_guard lock(mutex_);
  return challenges_;
}

std::vector<std::shared_ptr<CachedURLResponse>> DecidingSessionDelegate::cacheOffers() const {
  std::lock_guard lock(mutex_);
  return cacheOffers_;
}

std::vector<std::string> DecidingSessionDelegate::eventsBeforeCacheOffer() const {
  std::lock_guard lock(mutex_);
  return eventsBeforeCacheOffer_;
}

void DecidingSessionDelegate::willPerformHTTPRedirection(SessionRef, const std::shared_ptr<URLSessionTask>&,
                                                         const std::shared_ptr<HTTPURLResponse>& response,
                                                         const URLRequest& newRequest,
                                                         RedirectCompletionHandler completionHandler) {
  RedirectAnswer answer;
  {
    std::lock_guard lock(mutex_);
    redirects_.push_back({response->statusCode(), newRequest});
    answer = redirectAnswer_;
  }
  completionHandler(answer(*response, newRequest));
}

void DecidingSessionDelegate::didReceiveChallenge(SessionRef, const std::shared_ptr<URLSessionTask>&,
                                                  const URLAuthenticationChallenge& challenge,
                                                  ChallengeCompletionHandler completionHandler) {
  ChallengeAnswer answer;
  {
    std::lock_guard lock(mutex_);
    challenges_.push_back(challenge);
    answer = challengeAnswer_;
  }
  auto [disposition, credential] = answer(challenge);
  completionHandler(disposition, std::move(credential));
}

void DecidingSessionDelegate::willCacheResponse(SessionRef, const std::shared_ptr<URLSessionDataTask>&,
                                                const std::shared_ptr<CachedURLResponse>& proposedResponse,
                                                CacheCompletionHandler completionHandler) {
  const auto latest = records().back().events;
  CacheAnswer answer;
  {
    std::lock_guard lock(mutex_);
    cacheOffers_.push_back(proposedResponse);
    eventsBeforeCacheOffer_ = latest;
    answer = cacheAnswer_;
  }
  completionHandler(answer(proposedResponse));
}
