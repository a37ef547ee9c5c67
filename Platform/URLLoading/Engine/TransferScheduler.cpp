#include "Platform/URLLoading/Engine/TransferScheduler.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "Platform/URLLoading/Engine/Transfer.h"

namespace platform {

namespace {

constexpr std::size_t unlimited = std::numeric_limits<std::size_t>::max();

}  // namespace

TransferScheduler::TransferScheduler(CURLM* multi, int connectionsPerHost)
    : multi_(multi),
      connectionsPerHost_(connectionsPerHost > 0 ? static_cast<std::size_t>(connectionsPerHost) : unlimited) {
  sizeConnectionCache();
}

void TransferScheduler::enqueue(Transfer& transfer) {
  const auto [entry, added] = origins_.try_emplace(transfer.origin());
  auto& origin = entry->second;
  if (added) origin.protocolPending = transfer.mayMultiplex() && !multiplexing_.contains(entry->first);
  sizeConnectionCache();
  if (origin.protocolPending && origin.opener) transfer.waitForProtocol();
  if (origin.waiting.empty() && !transfer.waitsForProtocol() && hasPlace(entry->first, origin)) {
    ++origin.active;
    if (origin.protocolPending) origin.opener = &transfer;
    return transfer.start();
  }
  origin.waiting.push_back(&transfer);
}

void TransferScheduler::remove(Transfer& transfer) {
  const auto found = origins_.find(transfer.origin());
  if (found == origins_.end()) return;
  auto& origin = found->second;
  if (transfer.started()) {
    --origin.active;
    // The transfer opening the origin's first connection went before the
    // connection told its protocol, having failed or been given up: the
    // others go on without knowing it.
    if (origin.opener == &transfer) endProtocolWait(origin);
    placesFreed_ = placesFreed_ || !origin.waiting.empty();
  } else {
    std::erase(origin.waiting, &transfer);
  }
  if (origin.active == 0 && origin.waiting.empty()) origins_.erase(found);
}

// A suspended transfer may hold its connection unused for as long as its
// caller likes.
void TransferScheduler::suspended(const Transfer& transfer) {
  const auto found = origins_.find(transfer.origin());
  if (found == origins_.end() || found->second.opener != &transfer) return;
  endProtocolWait(found->second);
  placesFreed_ = placesFreed_ || !found->second.waiting.empty();
}

void TransferScheduler::stopWaitingForProtocol(Transfer& transfer) {
  if (!transfer.waitsForProtocol()) return;
  transfer.protocolWaitEnded();
  placesFreed_ = true;
}

void TransferScheduler::startWaiting() {
  if (!std::exchange(placesFreed_, false)) return;
  for (auto& [key, origin] : origins_) {
    // One still waiting for the protocol lets those behind it that no
    // longer wait for it go first.
    for (auto next = origin.waiting.begin(); next != origin.waiting.end() && hasPlace(key, origin);) {
      auto* transfer = *next;
      if (transfer->waitsForProtocol()) {
        ++next;
        continue;
      }
      ++origin.active;
      next = origin.waiting.erase(next);
      transfer->start();
    }
  }
}

void TransferScheduler::originMultiplexes(const std::string& origin) { learnedProtocol(origin, true); }

void TransferScheduler::originDoesNotMultiplex(const std::string& origin) { learnedProtocol(origin, false); }

void TransferScheduler::learnedProtocol(const std::string& origin, bool multiplexes) {
  const auto [known, added] = multiplexing_.try_emplace(origin, multiplexes);
  if (!added && known->second == multiplexes) return;
  known->second = multiplexes;
  const auto found = origins_.find(origin);
  if (found == origins_.end()) return;
  if (found->second.protocolPending) endProtocolWait(found->second);
  placesFreed_ = placesFreed_ || !found->second.waiting.empty();
}

void TransferScheduler::endProtocolWait(Origin& origin) {
  origin.protocolPending = false;
  origin.opener = nullptr;
  for (auto* transfer : origin.waiting) transfer->protocolWaitEnded();
}

bool TransferScheduler::hasPlace(const std::string& key, const Origin& origin) const {
  if (origin.active < connectionsPerHost_) return true;
  const auto known = multiplexing_.find(key);
  return known != multiplexing_.end() && known->second;
}

// The library's default follows the number of transfers under way, so a
// burst that ends would close the connections the next burst needs.
void TransferScheduler::sizeConnectionCache() {
  if (connectionsPerHost_ == unlimited) return;
  const auto size = static_cast<long>(connectionsPerHost_ * std::max<std::size_t>(origins_.size(), 1));
  if (size == connectionCacheSize_) return;
  connectionCacheSize_ = size;
  curl_multi_setopt(multi_, CURLMOPT_MAXCONNECTS, size);
}

}  // namespace platform
