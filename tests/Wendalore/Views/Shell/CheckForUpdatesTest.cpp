#include <gtest/gtest.h>

#include "Wendalore/Views/Shell/CheckForUpdatesView.h"
#include "tests/Wendalore/Views/Shell/FakeUpdater.h"

namespace wendalore {
namespace {

TEST(CheckForUpdates, TheItemFollowsTheUpdaterFromItsFirstAppearanceAndChoosingItChecksOnce) {
  for (const bool canCheck : {false, true}) {
    auto updater = std::make_shared<FakeUpdater>(canCheck);
    QObject parent;
    CheckForUpdatesView item(updater, &parent);
    EXPECT_EQ(item.text(), QString::fromUtf8("Check for Updates\u2026"));
    EXPECT_EQ(item.isEnabled(), canCheck);

    updater->setCanCheckForUpdates(!canCheck);
    EXPECT_EQ(item.isEnabled(), !canCheck);
    updater->setCanCheckForUpdates(true);
    item.trigger();
    item.trigger();
    EXPECT_EQ(updater->checks, 2);
  }
}

TEST(CheckForUpdates, AnItemGoneStopsListening) {
  auto updater = std::make_shared<FakeUpdater>(false);
  {
    QObject parent;
    CheckForUpdatesView item(updater, &parent);
    EXPECT_EQ(updater->listenerCount(), 1);
  }
  EXPECT_EQ(updater->listenerCount(), 0);
}

}  // namespace
}  // namespace wendalore
