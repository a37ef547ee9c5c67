#include <gtest/gtest.h>

#include <thread>

#include "Platform/Store/ModelContainer.h"
#include "Wendalore/Model/RequestFolder.h"
#include "Wendalore/Model/RequestTemplate.h"
#include "tests/Platform/ScratchDirectory.h"
#include "tests/desktop/AppProcess.h"
#include "tests/desktop/XDisplay.h"

namespace wendalore {
namespace {

using namespace std::chrono_literals;

constexpr auto windowTimeout = 20s;

class ShellEndToEndTest : public ::testing::Test {
 protected:
  // Starts the program and waits for its main window.
  desktop::TopWindow startAndWaitForWindow(desktop::AppProcess& app) {
    auto window = display.waitForWindow(app.pid(), "Wendalore", windowTimeout);
    if (!window) {
      ADD_FAILURE() << "no window appeared; the program said: " << app.standardError();
      return {};
    }
    return *window;
  }

  std::expected<std::shared_ptr<platform::ModelContainer>, platform::AnyError> openStore() {
    return platform::ModelContainer::open(platform::Schema::of<RequestTemplate, RequestFolder>(), home.storeFile());
  }

  desktop::AppHome home;
  desktop::XDisplay display;
};

TEST_F(ShellEndToEndTest, TheProgramShowsItsWindowAndQuitsWithControlQ) {
  desktop::AppProcess app(home);
  const auto window = startAndWaitForWindow(app);
  ASSERT_NE(window.id, 0u);
  display.screenshot("shell-main-window");
  EXPECT_TRUE(app.isRunning());
  EXPECT_TRUE(std::filesystem::exists(home.storeFile()));

  ASSERT_TRUE(display.pressKeys(window.id, "ctrl+q"));
  EXPECT_EQ(app.waitForExit(10s), 0) << app.standardError();
}

TEST_F(ShellEndToEndTest, ASecondStartBringsTheClosedWindowBackAndStops) {
  desktop::AppProcess first(home);
  const auto window = startAndWaitForWindow(first);
  ASSERT_NE(window.id, 0u);

  display.requestClose(window.id);
  for (int tries = 0; tries < 500 && display.isViewable(window.id); ++tries) std::this_thread::sleep_for(10ms);
  EXPECT_FALSE(display.isViewable(window.id));
  EXPECT_TRUE(first.isRunning());

  desktop::AppProcess second(home);
  EXPECT_EQ(second.waitForExit(10s), 0) << second.standardError();
  for (int tries = 0; tries < 500 && !display.isViewable(window.id); ++tries) std::this_thread::sleep_for(10ms);
  EXPECT_TRUE(display.isViewable(window.id));
  EXPECT_EQ(display.topmostViewable(), window.id);
  EXPECT_TRUE(display.windowsOf(second.pid()).empty());
  display.screenshot("shell-raised-by-second-start");
  ASSERT_TRUE(first.isRunning());
}

TEST_F(ShellEndToEndTest, FoldersAndRequestsSurviveQuittingAndStartingAgain) {
  {
    auto container = openStore();
    ASSERT_TRUE(container) << container.error()->description();
    auto folder = RequestFolder::make("Accounts", nullptr);
    auto inner = RequestFolder::make("Admin", folder);
    auto request = RequestTemplate::make("List users", "https://example.invalid/users?page=2", "GET", inner, 0);
    request->setHeaders({RequestHeaderItem::make("Accept", "application/json")});
    (*container)->mainContext()->insert(folder);
    (*container)->mainContext()->insert(RequestTemplate::make("Top level", "", "DELETE", nullptr, 1));
    ASSERT_TRUE((*container)->mainContext()->save());
  }
  for (int start = 0; start < 2; ++start) {
    desktop::AppProcess app(home);
    const auto window = startAndWaitForWindow(app);
    ASSERT_NE(window.id, 0u);
    ASSERT_TRUE(display.pressKeys(window.id, "ctrl+q"));
    ASSERT_EQ(app.waitForExit(10s), 0) << app.standardError();
  }

  auto container = openStore();
  ASSERT_TRUE(container) << container.error()->description();
  const auto folders = (*container)->mainContext()->fetch<RequestFolder>().value();
  const auto requests = (*container)->mainContext()->fetch<RequestTemplate>().value();
  ASSERT_EQ(folders.size(), 2u);
  ASSERT_EQ(requests.size(), 2u);
  const auto& listUsers = requests[0]->name() == "List users" ? requests[0] : requests[1];
  EXPECT_EQ(listUsers->url(), "https://example.invalid/users?page=2");
  ASSERT_NE(listUsers->folder(), nullptr);
  EXPECT_EQ(listUsers->folder()->name(), "Admin");
  ASSERT_NE(listUsers->folder()->parent(), nullptr);
  EXPECT_EQ(listUsers->folder()->parent()->name(), "Accounts");
  ASSERT_EQ(listUsers->headers().size(), 1u);
  EXPECT_EQ(listUsers->headers()[0]->value(), "application/json");
}

TEST_F(ShellEndToEndTest, AStoreThatCannotBeReadIsReportedAndLeftAsItWas) {
  std::filesystem::create_directories(home.storeFile().parent_path());
  const std::string garbage = std::string(8192, '\x7f') + "not a store";
  std::ofstream(home.storeFile(), std::ios::binary) << garbage;

  desktop::AppProcess app(home);
  const auto dialog = display.waitForWindow(app.pid(), "Wendalore", windowTimeout);
  ASSERT_TRUE(dialog) << app.standardError();
  display.screenshot("shell-store-failure-dialog");
  EXPECT_TRUE(app.isRunning()) << "the dialog must wait for the user";
  EXPECT_NE(app.standardError().find("Failed to initialize database: "), std::string::npos) << app.standardError();

  ASSERT_TRUE(display.pressKeys(dialog->id, "Return"));
  const auto status = app.waitForExit(10s);
  ASSERT_TRUE(status);
  EXPECT_NE(*status, 0);
  EXPECT_EQ(readWholeFile(home.storeFile()), garbage);
}

}  // namespace
}  // namespace wendalore
