#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "Platform/URLLoading/URLCredential.h"
#include "Platform/URLLoading/URLProtectionSpace.h"

namespace platform {

// Credentials kept for protection spaces. The process-wide storage is what the default configuration uses; an ephemeral
// configuration gets one of its own. Any thread may use a storage.
//
// Spaces are told apart by host and protocol (in any letter case), port,
// realm and authentication method. A space holds at most one credential
// per user.
class URLCredentialStorage {
 public:
  using CredentialsByUser = std::map<std::string, URLCredential>;

  static std::shared_ptr<URLCredentialStorage> make() { return std::make_shared<URLCredentialStorage>(); }
  static const std::shared_ptr<URLCredentialStorage>& shared();

  // Absent for a space nothing was ever stored for; empty for one whose
  // credentials were all removed.
  std::optional<CredentialsByUser> credentials(const URLProtectionSpace& space) const;
  // Keeps the credential under its user, replacing the one that user had.
  // False, keeping nothing, for a credential without a user or one whose
  // persistence is none.
  bool setCredential(const URLCredential& credential, const URLProtectionSpace& space);
  // Removes the credential of the same user; the default credential too
  // when it was that one.
  void removeCredential(const URLCredential& credential, const URLProtectionSpace& space);

  std::optional<URLCredential> defaultCredential(const URLProtectionSpace& space) const;
  // Keeps the credential as `setCredential` does and makes it the default.
  bool setDefaultCredential(const URLCredential& credential, const URLProtectionSpace& space);

 private:
  struct Entry {
    URLProtectionSpace space;
    CredentialsByUser credentials;
    std::optional<std::string> defaultUser;
  };

  const Entry* findLocked(const URLProtectionSpace& space) const;
  Entry* findLocked(const URLProtectionSpace& space);
  // The space's entry after storing, or none when the credential cannot be kept.
  Entry* storeLocked(const URLCredential& credential, const URLProtectionSpace& space);

  mutable std::mutex mutex_;
  std::vector<Entry> entries_;
};

}  // namespace platform
