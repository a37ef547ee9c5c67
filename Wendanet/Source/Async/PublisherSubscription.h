#pragma once

#include <functional>
#include <memory>
#include <utility>

#include "Platform/Combine/Subscriber.h"
#include "Wendanet/Source/Core/Never.h"
#include "Wendanet/Source/Core/Protected.h"

namespace wendanet::detail {

// The subscription of a request publisher. The first demand, of any size,
// registers the delivery and resumes the request; any later demand, and
// any demand after a cancel, does nothing. Taking the subscriber is one
// locked step, so two demands racing on two threads register one handler.
// Every value is sent whatever the demand left; `isLast` picks the value
// after which the subscriber is told `finished`.
template <class RequestKind, class Output>
class PublisherSubscription final : public platform::Subscription {
 public:
  using Downstream = std::shared_ptr<platform::Subscriber<Output, Never>>;
  using Deliver = std::function<void(const Output&)>;
  // Registers the delivery and returns the request to resume.
  using Register = std::function<std::shared_ptr<RequestKind>(Deliver)>;

  PublisherSubscription(std::shared_ptr<RequestKind> request, Register registerDelivery, Downstream downstream,
                        bool (*isLast)(const Output&))
      : downstream_(std::move(downstream)),
        request_(std::move(request)),
        register_(std::move(registerDelivery)),
        isLast_(isLast) {}

  void request(platform::Demand) override {
    auto subscriber = downstream_.write([](Downstream& downstream) { return std::exchange(downstream, nullptr); });
    if (!subscriber) return;
    // The delivery lets go of the subscriber after the last value: a
    // request that keeps its handlers (a stream's) would otherwise keep
    // alive a subscriber that keeps this subscription, and so the request.
    auto slot = std::make_shared<Protected<Downstream>>(std::move(subscriber));
    register_([slot, isLast = isLast_](const Output& output) {
      const bool last = isLast(output);
      auto subscriber = slot->write([last](Downstream& held) { return last ? std::exchange(held, nullptr) : held; });
      if (!subscriber) return;
      subscriber->receive(output);
      if (last) subscriber->receive(platform::SubscriptionCompletion<Never>::finished());
    })->resume();
  }
  // A delivery already registered still sends the cancelled request's
  // last value.
  void cancel() override {
    request_->cancel();
    downstream_.write([](Downstream& downstream) { downstream.reset(); });
  }

 private:
  Protected<Downstream> downstream_;
  std::shared_ptr<RequestKind> request_;
  Register register_;
  bool (*isLast_)(const Output&);
};

}  // namespace wendanet::detail
