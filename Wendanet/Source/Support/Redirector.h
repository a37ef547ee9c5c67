#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <variant>

#include "Wendanet/Source/Support/RedirectHandler.h"

namespace wendanet {

// A redirect handler that answers every redirect the same way: follow it,
// stop there, or let a closure choose the request to send instead.
class Redirector final : public RedirectHandler {
 public:
  // May be kept and called on any thread, so it must be safe to share.
  using Modifier = std::function<std::optional<platform::URLRequest>(
      const std::shared_ptr<platform::URLSessionTask>& task, const platform::URLRequest& request,
      const std::shared_ptr<const platform::HTTPURLResponse>& response)>;

  struct Follow {};
  struct DoNotFollow {};
  struct Modify {
    Modifier modifier;
  };
  using Behavior = std::variant<Follow, DoNotFollow, Modify>;

  explicit Redirector(Behavior behavior) : behavior_(std::move(behavior)) {}

  static std::shared_ptr<Redirector> follow() { return std::make_shared<Redirector>(Follow{}); }
  static std::shared_ptr<Redirector> doNotFollow() { return std::make_shared<Redirector>(DoNotFollow{}); }
  static std::shared_ptr<Redirector> modify(Modifier modifier) {
    return std::make_shared<Redirector>(Modify{std::move(modifier)});
  }

  const Behavior& behavior() const { return behavior_; }

  // Answers before returning, on the calling thread.
  void decideRedirect(const std::shared_ptr<platform::URLSessionTask>& task, const platform::URLRequest& request,
                      const std::shared_ptr<const platform::HTTPURLResponse>& response,
                      Completion completion) override;

 private:
  Behavior behavior_;
};

}  // namespace wendanet
