#include "Wendanet/Source/Support/Interceptor.h"

#include <algorithm>
#include <cstddef>
#include <functional>
#include <utility>
#include <variant>

#include "Platform/Fatal.h"

namespace wendanet {

namespace {

using AdaptersInChain = std::shared_ptr<const Interceptor::Adapters>;
using RetriersInChain = std::shared_ptr<const Interceptor::Retriers>;
// Asks one adapter, the same way for every adapter of one chain.
using AskAdapter = std::function<void(RequestAdapter&, const platform::URLRequest&, AdaptCompletion)>;

void adaptFrom(const AdaptersInChain& adapters, std::size_t index, const platform::URLRequest& urlRequest,
               const AskAdapter& ask, AdaptCompletion completion) {
  if (index == adapters->size()) {
    completion(urlRequest);
    return;
  }
  ask(*(*adapters)[index], urlRequest,
      [adapters, index, ask, completion = std::move(completion)](AdaptResult result) mutable {
        if (!result) {
          completion(std::move(result));
          return;
        }
        adaptFrom(adapters, index + 1, *result, ask, std::move(completion));
      });
}

void retryFrom(const RetriersInChain& retriers, std::size_t index, const std::shared_ptr<Request>& request,
               const std::shared_ptr<Session>& session, const platform::AnyError& error, RetryCompletion completion) {
  if (index == retriers->size()) {
    completion(RetryResult::doNotRetry());
    return;
  }
  (*retriers)[index]->retry(
      request, session, error,
      [retriers, index, request, session, error, completion = std::move(completion)](RetryResult result) mutable {
        if (!std::holds_alternative<RetryResult::DoNotRetry>(result.value())) {
          completion(std::move(result));
          return;
        }
        retryFrom(retriers, index + 1, request, session, error, std::move(completion));
      });
}

template <class List>
void requireNoNull(const List& list) {
  const bool hasNull = std::any_of(list.begin(), list.end(), [](const auto& element) { return !element; });
  if (hasNull) platform::fatal("An Interceptor cannot hold a null adapter or retrier.");
}

}  // namespace

std::shared_ptr<Interceptor> Interceptor::make(Adapter::AdaptHandler adaptHandler, Retrier::RetryHandler retryHandler) {
  return make(Adapter::make(std::move(adaptHandler)), Retrier::make(std::move(retryHandler)));
}

std::shared_ptr<Interceptor> Interceptor::make(std::shared_ptr<RequestAdapter> adapter,
                                               std::shared_ptr<RequestRetrier> retrier) {
  return make(Adapters{std::move(adapter)}, Retriers{std::move(retrier)}, {});
}

std::shared_ptr<Interceptor> Interceptor::make(Adapters adapters, Retriers retriers, const Interceptors& interceptors) {
  adapters.insert(adapters.end(), interceptors.begin(), interceptors.end());
  retriers.insert(retriers.end(), interceptors.begin(), interceptors.end());
  requireNoNull(adapters);
  requireNoNull(retriers);
  return std::shared_ptr<Interceptor>(new Interceptor(std::move(adapters), std::move(retriers)));
}

Interceptor::Interceptor(Adapters adapters, Retriers retriers)
    : adapters_(std::move(adapters)), retriers_(std::move(retriers)) {}

void Interceptor::adapt(const platform::URLRequest& urlRequest, const std::shared_ptr<Session>& session,
                        AdaptCompletion completion) {
  adaptFrom(
      std::make_shared<const Adapters>(adapters_), 0, urlRequest,
      [session](RequestAdapter& adapter, const platform::URLRequest& request, AdaptCompletion next) {
        adapter.adapt(request, session, std::move(next));
      },
      std::move(completion));
}

void Interceptor::adaptWithState(const platform::URLRequest& urlRequest, const RequestAdapterState& state,
                                 AdaptCompletion completion) {
  adaptFrom(
      std::make_shared<const Adapters>(adapters_), 0, urlRequest,
      [state](RequestAdapter& adapter, const platform::URLRequest& request, AdaptCompletion next) {
        adapter.adaptWithState(request, state, std::move(next));
      },
      std::move(completion));
}

void Interceptor::retry(const std::shared_ptr<Request>& request, const std::shared_ptr<Session>& session,
                        const platform::AnyError& error, RetryCompletion completion) {
  retryFrom(std::make_shared<const Retriers>(retriers_), 0, request, session, error, std::move(completion));
}

}  // namespace wendanet
