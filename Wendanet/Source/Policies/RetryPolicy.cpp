#include "Wendanet/Source/Policies/RetryPolicy.h"

#include <cmath>
#include <optional>
#include <utility>

#include "Platform/Fatal.h"
#include "Wendanet/Source/Core/Request.h"
#include "Wendanet/Source/Core/WNErrorCasts.h"

namespace wendanet {

namespace {

using Code = platform::URLError::Code;

// The URL-loading code of the error itself, else of the error a WNError
// carries.
std::optional<Code> urlErrorCode(const platform::AnyError& error) {
  if (const auto* urlError = platform::errorAs<platform::URLError>(error)) return urlError->code();
  if (const auto wnError = castToWNError(error)) {
    if (const auto* underlying = platform::errorAs<platform::URLError>(wnError->getUnderlyingError())) {
      return underlying->code();
    }
  }
  return std::nullopt;
}

}  // namespace

const RetryPolicy::Methods& RetryPolicy::defaultRetryableHTTPMethods() {
  static const Methods methods{HTTPMethod::delete_(), HTTPMethod::get(),     HTTPMethod::head(),
                               HTTPMethod::options(), HTTPMethod::put(),     HTTPMethod::trace()};
  return methods;
}

const RetryPolicy::StatusCodes& RetryPolicy::defaultRetryableHTTPStatusCodes() {
  static const StatusCodes codes{408, 500, 502, 503, 504};
  return codes;
}

const RetryPolicy::URLErrorCodes& RetryPolicy::defaultRetryableURLErrorCodes() {
  static const URLErrorCodes codes{
      Code::backgroundSessionInUseByAnotherProcess,
      Code::backgroundSessionWasDisconnected,
      Code::badServerResponse,
      Code::callIsActive,
      Code::cannotConnectToHost,
      Code::cannotFindHost,
      Code::cannotLoadFromNetwork,
      Code::dataNotAllowed,
      Code::dnsLookupFailed,
      Code::downloadDecodingFailedMidStream,
      Code::downloadDecodingFailedToComplete,
      Code::internationalRoamingOff,
      Code::networkConnectionLost,
      Code::notConnectedToInternet,
      Code::secureConnectionFailed,
      Code::serverCertificateHasBadDate,
      Code::serverCertificateNotYetValid,
      Code::timedOut,
  };
  return codes;
}

std::shared_ptr<RetryPolicy> RetryPolicy::make(unsigned retryLimit, unsigned exponentialBackoffBase,
                                               double exponentialBackoffScale, Methods retryableHTTPMethods,
                                               StatusCodes retryableHTTPStatusCodes,
                                               URLErrorCodes retryableURLErrorCodes) {
  return std::shared_ptr<RetryPolicy>(new RetryPolicy(retryLimit, exponentialBackoffBase, exponentialBackoffScale,
                                                      std::move(retryableHTTPMethods),
                                                      std::move(retryableHTTPStatusCodes),
                                                      std::move(retryableURLErrorCodes)));
}

RetryPolicy::RetryPolicy(unsigned retryLimit, unsigned exponentialBackoffBase, double exponentialBackoffScale,
                         Methods retryableHTTPMethods, StatusCodes retryableHTTPStatusCodes,
                         URLErrorCodes retryableURLErrorCodes)
    : retryLimit_(retryLimit),
      exponentialBackoffBase_(exponentialBackoffBase),
      exponentialBackoffScale_(exponentialBackoffScale),
      retryableHTTPMethods_(std::move(retryableHTTPMethods)),
      retryableHTTPStatusCodes_(std::move(retryableHTTPStatusCodes)),
      retryableURLErrorCodes_(std::move(retryableURLErrorCodes)) {
  if (exponentialBackoffBase_ < 2) platform::fatal("The exponential back-off base must be at least 2");
}

void RetryPolicy::retry(const std::shared_ptr<Request>& request, const std::shared_ptr<Session>&,
                        const platform::AnyError& error, RetryCompletion completion) {
  if (!request || std::cmp_greater_equal(request->retryCount(), retryLimit_) || !shouldRetry(*request, error)) {
    return completion(RetryResult::doNotRetry());
  }
  const double delay = std::pow(static_cast<double>(exponentialBackoffBase_),
                                static_cast<double>(request->retryCount())) *
                       exponentialBackoffScale_;
  completion(RetryResult::retryWithDelay(delay));
}

bool RetryPolicy::shouldRetry(const Request& request, const platform::AnyError& error) const {
  const auto urlRequest = request.request();
  if (!urlRequest || !urlRequest->httpMethod()) return false;
  if (!retryableHTTPMethods_.contains(HTTPMethod(*urlRequest->httpMethod()))) return false;
  if (const auto response = request.response(); response && retryableHTTPStatusCodes_.contains(response->statusCode())) {
    return true;
  }
  const auto code = urlErrorCode(error);
  return code && retryableURLErrorCodes_.contains(*code);
}

std::shared_ptr<ConnectionLostRetryPolicy> ConnectionLostRetryPolicy::make(unsigned retryLimit,
                                                                           unsigned exponentialBackoffBase,
                                                                           double exponentialBackoffScale,
                                                                           Methods retryableHTTPMethods) {
  return std::shared_ptr<ConnectionLostRetryPolicy>(new ConnectionLostRetryPolicy(
      retryLimit, exponentialBackoffBase, exponentialBackoffScale, std::move(retryableHTTPMethods), {},
      {platform::URLError::Code::networkConnectionLost}));
}

}  // namespace wendanet
