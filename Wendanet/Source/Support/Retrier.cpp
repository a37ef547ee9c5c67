#include "Wendanet/Source/Support/Retrier.h"

#include <utility>

#include "Platform/Fatal.h"

namespace wendanet {

std::shared_ptr<Retrier> Retrier::make(RetryHandler retryHandler) {
  if (!retryHandler) platform::fatal("A Retrier needs a retry handler.");
  return std::shared_ptr<Retrier>(new Retrier(std::move(retryHandler)));
}

Retrier::Retrier(RetryHandler retryHandler) : retryHandler_(std::move(retryHandler)) {}

void Retrier::retry(const std::shared_ptr<Request>& request, const std::shared_ptr<Session>& session,
                    const platform::AnyError& error, RetryCompletion completion) {
  retryHandler_(request, session, error, std::move(completion));
}

}  // namespace wendanet
