#pragma once

#include <map>
#include <memory>
#include <string>

#include "Wendanet/Source/Support/ServerTrustEvaluating.h"

namespace wendanet {

// The server-trust evaluator of each host. Hosts are compared as written:
// no letter case folding, no wildcards, no subdomains.
class ServerTrustManager {
 public:
  using Evaluators = std::map<std::string, std::shared_ptr<const ServerTrustEvaluating>>;

  static std::shared_ptr<ServerTrustManager> make(bool allHostsMustBeEvaluated, Evaluators evaluators);
  ServerTrustManager(bool allHostsMustBeEvaluated, Evaluators evaluators);
  virtual ~ServerTrustManager() = default;

  bool allHostsMustBeEvaluated() const { return allHostsMustBeEvaluated_; }
  const Evaluators& evaluators() const { return evaluators_; }

  // The host's evaluator; none when the host has none and need not have
  // one (the platform then decides), noRequiredEvaluator thrown when it must.
  virtual std::shared_ptr<const ServerTrustEvaluating> serverTrustEvaluator(const std::string& host) const;

 private:
  const bool allHostsMustBeEvaluated_;
  const Evaluators evaluators_;
};

}  // namespace wendanet
