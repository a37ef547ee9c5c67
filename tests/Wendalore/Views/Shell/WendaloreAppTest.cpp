#include "Wendalore/Views/Shell/WendaloreApp.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QMenuBar>

#include "Wendalore/Model/RequestTemplate.h"
#include "tests/Platform/ScratchDirectory.h"
#include "tests/Wendalore/Views/Shell/FakeUpdater.h"

namespace wendalore {
namespace {

class WendaloreAppTest : public ::testing::Test {
 protected:
  std::filesystem::path file() const { return scratch / "Wendalore" / "Wendalore.sqlite"; }
  std::unique_ptr<WendaloreApp> launch() {
    auto app = WendaloreApp::launch(platform::Bundle::make({}), updater, file());
    if (!app) ADD_FAILURE() << app.error();
    return app ? std::move(*app) : nullptr;
  }

  ScratchDirectory scratch;
  std::shared_ptr<FakeUpdater> updater = std::make_shared<FakeUpdater>(false);
};

TEST_F(WendaloreAppTest, TheApplicationMenuOffersAboutThenUpdatesAndQuitButNoNewWindow) {
  auto app = launch();
  ASSERT_NE(app, nullptr);
  const auto menus = app->window().menuBar()->actions();
  ASSERT_EQ(menus.size(), 1);
  QStringList items;
  for (const auto* action : menus[0]->menu()->actions()) {
    if (!action->isSeparator()) items << action->text();
  }
  EXPECT_EQ(items, (QStringList{"About Wendalore", QString::fromUtf8("Check for Updates\u2026"), "Quit"}));
  const auto* quit = menus[0]->menu()->actions().last();
  EXPECT_EQ(quit->shortcut(), QKeySequence("Ctrl+Q"));

  const auto* checkForUpdates = menus[0]->menu()->actions()[1];
  EXPECT_FALSE(checkForUpdates->isEnabled());
  updater->setCanCheckForUpdates(true);
  EXPECT_TRUE(checkForUpdates->isEnabled());

  menus[0]->menu()->actions()[0]->trigger();
  ASSERT_NE(app->appDelegate().aboutWindow(), nullptr);
  EXPECT_TRUE(app->appDelegate().aboutWindow()->isVisible());
}

// The icon as drawn at 64 pixels: blue, with white in its middle.
void expectTheApplicationIcon(const QImage& icon, const char* where) {
  ASSERT_EQ(icon.size(), QSize(64, 64)) << where;
  const QColor corner = icon.pixelColor(12, 12);
  EXPECT_GT(corner.blue(), corner.red() + 60) << where;
  EXPECT_EQ(corner.alpha(), 255) << where;
  EXPECT_TRUE(icon.pixelColor(32, 24) == Qt::white || icon.pixelColor(32, 40).lightness() > 200) << where;
}

TEST_F(WendaloreAppTest, TheWindowAndTheAboutWindowShowTheApplicationsIcon) {
  auto app = launch();
  ASSERT_NE(app, nullptr);
  expectTheApplicationIcon(app->window().windowIcon().pixmap(64, 64).toImage(), "main window");

  app->appDelegate().showAboutWindow();
  const auto* about = app->appDelegate().aboutWindow();
  expectTheApplicationIcon(about->windowIcon().pixmap(64, 64).toImage(), "About window's title");
  const QLabel* shown = nullptr;
  for (const auto* label : about->findChildren<QLabel*>()) {
    if (label->accessibleName() == "App Icon") shown = label;
  }
  ASSERT_NE(shown, nullptr);
  expectTheApplicationIcon(shown->pixmap().toImage(), "About window");
}

TEST_F(WendaloreAppTest, QuittingKeepsEditsThatWereNotSavedYet) {
  {
    auto app = launch();
    ASSERT_NE(app, nullptr);
    const auto& context = app->window().modelContext();
    auto request = RequestTemplate::make("Draft", "https://example.invalid", "GET", nullptr, 0);
    context->insert(request);
    ASSERT_TRUE(context->save());
    request->setName("Renamed in the editor");
    app->applicationWillTerminate();
  }
  auto app = launch();
  ASSERT_NE(app, nullptr);
  const auto requests = app->window().modelContext()->fetch<RequestTemplate>();
  ASSERT_TRUE(requests);
  ASSERT_EQ(requests->size(), 1u);
  EXPECT_EQ((*requests)[0]->name(), "Renamed in the editor");
}

}  // namespace
}  // namespace wendalore
