#pragma once

#include <curl/curl.h>

#include <cstddef>
#include <deque>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "Platform/URLLoading/Engine/EasyHandlePool.h"

namespace platform {

class Transfer;

// Decides when a transfer goes onto the multi handle: at most the
// session's connections per host are under way at once for each origin,
// and the rest wait their turn in the order they came. The transfer
// library's own limit would leave that order to chance, so one request
// could wait for many that came after it.
//
// It also sizes the library's cache of idle connections so that every
// connection the session may keep open to the origins in use stays open
// between bursts of requests, and lends transfers their easy handles.
class TransferScheduler {
 public:
  // `connectionsPerHost` of 0 or less: no limit, every transfer starts at
  // once.
  TransferScheduler(CURLM* multi, int connectionsPerHost);
  TransferScheduler(const TransferScheduler&) = delete;
  TransferScheduler& operator=(const TransferScheduler&) = delete;

  CURLM* multi() const { return multi_; }
  EasyHandlePool& handles() { return handles_; }

  // The transfer starts now or once an earlier one to its origin has gone.
  void enqueue(Transfer& transfer);
  // The transfer is going away: it leaves its queue, or frees its place.
  void remove(Transfer& transfer);
  // Starts the waiting transfers that have a place; outside every callback
  // of the transfer library.
  void startWaiting();
  // The origin's server shares one connection between transfers: from now
  // on they all start at once, as waiting would only slow them down.
  void originMultiplexes(const std::string& origin);

 private:
  struct Origin {
    std::size_t active = 0;
    std::deque<Transfer*> waiting;
  };

  bool hasPlace(const std::string& key, const Origin& origin) const;
  void sizeConnectionCache();

  CURLM* const multi_;
  const std::size_t connectionsPerHost_;
  std::unordered_map<std::string, Origin> origins_;
  std::unordered_set<std::string> multiplexedOrigins_;
  // Origins with a free place and transfers waiting for it.
  bool placesFreed_ = false;
  long connectionCacheSize_ = 0;
  EasyHandlePool handles_;
};

}  // namespace platform
