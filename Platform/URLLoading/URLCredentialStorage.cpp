#include "Platform/URLLoading/URLCredentialStorage.h"

#include <algorithm>
#include <utility>

#include "Platform/Foundation/ASCIICase.h"

namespace platform {

namespace {

bool sameSpace(const URLProtectionSpace& left, const URLProtectionSpace& right) {
  const auto protocol = [](const URLProtectionSpace& space) { return asciiLowercased(space.protocol.value_or("")); };
  return equalsIgnoringASCIICase(left.host, right.host) && left.port == right.port &&
         left.protocol.has_value() == right.protocol.has_value() && protocol(left) == protocol(right) &&
         left.realm == right.realm && left.authenticationMethod == right.authenticationMethod;
}

}  // namespace

const std::shared_ptr<URLCredentialStorage>& URLCredentialStorage::shared() {
  static const auto storage = make();
  return storage;
}

const URLCredentialStorage::Entry* URLCredentialStorage::findLocked(const URLProtectionSpace& space) const {
  const auto found = std::ranges::find_if(entries_, [&](const Entry& entry) { return sameSpace(entry.space, space); });
  return found == entries_.end() ? nullptr : &*found;
}

URLCredentialStorage::Entry* URLCredentialStorage::findLocked(const URLProtectionSpace& space) {
  return const_cast<Entry*>(std::as_const(*this).findLocked(space));
}

std::optional<URLCredentialStorage::CredentialsByUser> URLCredentialStorage::credentials(
    const URLProtectionSpace& space) const {
  std::lock_guard lock(mutex_);
  const auto* entry = findLocked(space);
  if (!entry) return std::nullopt;
  return entry->credentials;
}

URLCredentialStorage::Entry* URLCredentialStorage::storeLocked(const URLCredential& credential,
                                                               const URLProtectionSpace& space) {
  if (!credential.user || credential.persistence == URLCredential::Persistence::none) return nullptr;
  auto* entry = findLocked(space);
  if (!entry) entry = &entries_.emplace_back(Entry{space, {}, std::nullopt});
  entry->credentials.insert_or_assign(*credential.user, credential);
  return entry;
}

bool URLCredentialStorage::setCredential(const URLCredential& credential, const URLProtectionSpace& space) {
  std::lock_guard lock(mutex_);
  return storeLocked(credential, space) != nullptr;
}

void URLCredentialStorage::removeCredential(const URLCredential& credential, const URLProtectionSpace& space) {
  if (!credential.user) return;
  std::lock_guard lock(mutex_);
  auto* entry = findLocked(space);
  if (!entry) return;
  entry->credentials.erase(*credential.user);
  if (entry->defaultUser == credential.user) entry->defaultUser.reset();
}

std::optional<URLCredential> URLCredentialStorage::defaultCredential(const URLProtectionSpace& space) const {
  std::lock_guard lock(mutex_);
  const auto* entry = findLocked(space);
  if (!entry || !entry->defaultUser) return std::nullopt;
  return entry->credentials.at(*entry->defaultUser);
}

bool URLCredentialStorage::setDefaultCredential(const URLCredential& credential, const URLProtectionSpace& space) {
  std::lock_guard lock(mutex_);
  auto* entry = storeLocked(credential, space);
  if (!entry) return false;
  entry->defaultUser = credential.user;
  return true;
}

}  // namespace platform
