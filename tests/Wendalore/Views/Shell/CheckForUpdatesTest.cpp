#include <gtest/gtest.h>

#include "Wendalore/Views/Shell/CheckForUpdatesView.h"
#include "tests/Wendalore/Views/Shell/FakeUpdater.h"

namespace wendalore {
namespace {

TEST(CheckForUpdates, TheItemShowsTheUpdatersAnswerFromItsFirstAppearance) {
  for (const bool canCheck : {false, true}) {
    auto updater = std::make_shared<FakeUpdater>(canCheck);
    QObject parent;
    CheckForUpdatesView item(updater, &parent);
    EXPECT_EQ(item.text(), QString::fromUtf8("Check for Updates\u2026"));
    EXPECT_EQ(item.isEnabled(), canCheck);
    // Exactly one announcement was asked for, and is still listened to.
    EXPECT_EQ(updater->observerCount(), 1);
  }
}

TEST(CheckForUpdates, TheItemFollowsEveryChangeAndChoosingItChecksOnce) {
  auto updater = std::make_shared<FakeUpdater>(true);
  QObject parent;
  CheckForUpdatesView item(updater, &parent);

  updater->setCanCheckForUpdates(false);
  EXPECT_FALSE(item.isEnabled());
  item.trigger();
  EXPECT_EQ(updater->checks, 0);

  updater->setCanCheckForUpdates(true);
  EXPECT_TRUE(item.isEnabled());
  item.trigger();
  item.trigger();
  EXPECT_EQ(updater->checks, 2);
}

TEST(CheckForUpdates, AnItemGoneStopsListening) {
  auto updater = std::make_shared<FakeUpdater>(false);
  {
    QObject parent;
    CheckForUpdatesView item(updater, &parent);
  }
  EXPECT_EQ(updater->observerCount(), 0);
  updater->setCanCheckForUpdates(true);
}

}  // namespace
}  // namespace wendalore
