#pragma once

#include <curl/curl.h>

#include <cstddef>
#include <deque>
#include <string>
#include <unordered_map>

namespace platform {

class Transfer;

// Decides when a transfer goes onto the multi handle: at most the
// session's connections per host are under way at once for each origin,
// and the rest wait their turn in the order they came. The transfer
// library's own limit would leave that order to chance, so one request
// could wait for many that came after it.
//
// An origin whose connections may turn out to serve many transfers at once
// gets one transfer until its first connection has told which protocol it
// speaks: a burst would otherwise open a connection for each transfer
// before any of them could be shared. Should that transfer go before its
// connection tells, or be suspended, the others start together, each free
// to open its own: trying them one after another would make a server that
// fails every connection fail them one failure at a time. Nor does any of
// them wait past its own time limit for another's connection: whoever
// times the transfer (the task's idle time-out, on the steady clock) may
// tell it to go on by itself, and it starts as soon as the cap allows.
//
// It also sizes the library's cache of idle connections so that every
// connection the session may keep open to the origins in use stays open
// between bursts of requests.
class TransferScheduler {
 public:
  // `connectionsPerHost` of 0 or less: no limit, every transfer starts at
  // once once its origin's protocol is known.
  TransferScheduler(CURLM* multi, int connectionsPerHost);
  TransferScheduler(const TransferScheduler&) = delete;
  TransferScheduler& operator=(const TransferScheduler&) = delete;

  CURLM* multi() const { return multi_; }

  // The transfer starts now or once an earlier one to its origin has gone.
  void enqueue(Transfer& transfer);
  // The transfer is going away: it leaves its queue, or frees its place.
  void remove(Transfer& transfer);
  // The transfer was suspended: should it be opening its origin's first
  // connection, the others stop waiting for it.
  void suspended(const Transfer& transfer);
  // The transfer waited for its origin's protocol as long as its own time
  // limit allows: it stops waiting and starts with a connection of its
  // own, now or once a place is free.
  void stopWaitingForProtocol(Transfer& transfer);
  // Starts the waiting transfers that have a place; outside every callback
  // of the transfer library.
  void startWaiting();
  // The origin's server shares one connection between transfers: from now
  // on they all start at once, as waiting would only slow them down.
  void originMultiplexes(const std::string& origin);
  // The origin's server serves one transfer at a time on a connection:
  // from now on it gets as many connections as the limit allows.
  void originDoesNotMultiplex(const std::string& origin);

 private:
  struct Origin {
    std::size_t active = 0;
    std::deque<Transfer*> waiting;
    // Its first connection has yet to tell whether it can be shared.
    bool protocolPending = false;
    // The transfer opening that connection, while it is under way.
    const Transfer* opener = nullptr;
  };

  // Whether one more transfer that does not wait for the protocol may start.
  bool hasPlace(const std::string& key, const Origin& origin) const;
  void endProtocolWait(Origin& origin);
  void learnedProtocol(const std::string& origin, bool multiplexes);
  void sizeConnectionCache();

  CURLM* const multi_;
  // Without a limit, as many as there are transfers.
  const std::size_t connectionsPerHost_;
  std::unordered_map<std::string, Origin> origins_;
  // Whether each origin whose protocol is known shares its connections.
  std::unordered_map<std::string, bool> multiplexing_;
  // Origins with a free place and transfers waiting for it.
  bool placesFreed_ = false;
  long connectionCacheSize_ = 0;
};

}  // namespace platform
