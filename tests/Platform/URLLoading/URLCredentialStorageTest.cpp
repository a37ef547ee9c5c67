#include <gtest/gtest.h>

#include "Platform/URLLoading/URLCredentialStorage.h"

using namespace platform;

namespace {

URLProtectionSpace space(const std::string& host = "example.com", std::optional<std::string> realm = "R") {
  return URLProtectionSpace{.host = host,
                            .port = 443,
                            .protocol = "https",
                            .realm = std::move(realm),
                            .authenticationMethod = std::string(URLProtectionSpace::authenticationMethodHTTPBasic),
                            .serverTrust = nullptr};
}

URLCredential credential(const std::string& user,
                         URLCredential::Persistence persistence = URLCredential::Persistence::forSession) {
  return URLCredential{.user = user, .password = "secret", .persistence = persistence, .serverTrust = nullptr};
}

}  // namespace

TEST(URLCredentialStorage, AbsentUntilSomethingWasStoredThenEmptyOnceRemoved) {
  const auto storage = URLCredentialStorage::make();
  EXPECT_FALSE(storage->credentials(space()));
  ASSERT_TRUE(storage->setCredential(credential("a"), space()));
  ASSERT_TRUE(storage->setCredential(credential("b"), space()));
  const auto both = storage->credentials(space("EXAMPLE.com"));
  ASSERT_TRUE(both);
  EXPECT_EQ(both->size(), 2u);
  EXPECT_EQ(both->at("a"), credential("a"));
  storage->removeCredential(credential("a"), space());
  storage->removeCredential(credential("b"), space());
  ASSERT_TRUE(storage->credentials(space()));
  EXPECT_TRUE(storage->credentials(space())->empty());
}

TEST(URLCredentialStorage, SpacesDifferByRealmPortAndMethodAndKeepOnlyCredentialsWithAUser) {
  const auto storage = URLCredentialStorage::make();
  storage->setCredential(credential("a"), space());
  auto digest = space();
  digest.authenticationMethod = URLProtectionSpace::authenticationMethodHTTPDigest;
  auto plain = space();
  plain.port = 80;
  for (const auto& other : {space("example.com", "Other"), space("example.com", std::nullopt), digest, plain}) {
    EXPECT_FALSE(storage->credentials(other));
  }
  EXPECT_FALSE(storage->setCredential(URLCredential{}, plain));
  EXPECT_FALSE(storage->setDefaultCredential(credential("a", URLCredential::Persistence::none), plain));
  EXPECT_FALSE(storage->credentials(plain));
  EXPECT_FALSE(storage->defaultCredential(plain));
}

TEST(URLCredentialStorage, TheDefaultIsStoredReplacedAndGoesWithItsCredential) {
  const auto storage = URLCredentialStorage::make();
  EXPECT_FALSE(storage->defaultCredential(space()));
  storage->setDefaultCredential(credential("a"), space());
  storage->setCredential(credential("b"), space());
  EXPECT_EQ(storage->defaultCredential(space()), credential("a"));
  EXPECT_EQ(storage->credentials(space())->size(), 2u);
  storage->setDefaultCredential(credential("b"), space());
  EXPECT_EQ(storage->defaultCredential(space()), credential("b"));
  storage->removeCredential(credential("b"), space());
  EXPECT_FALSE(storage->defaultCredential(space()));
}
