#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <thread>

#include "Wendalore/Model/RequestTemplate.h"
#include "tests/EndToEnd/ProgramStore.h"
#include "tests/desktop/AppHome.h"
#include "tests/desktop/AppProcess.h"
#include "tests/desktop/XDisplay.h"
#include "tests/servers/FakeSessionBus.h"

namespace wendalore {
namespace {

using namespace std::chrono_literals;

// This process's session bus, if any, put aside while a test runs.
class NoConfiguredBus {
 public:
  NoConfiguredBus() {
    if (const char* address = std::getenv(variable)) saved_ = address;
    unsetenv(variable);
  }
  ~NoConfiguredBus() {
    if (saved_) setenv(variable, saved_->c_str(), 1);
  }

 private:
  static constexpr const char* variable = "DBUS_SESSION_BUS_ADDRESS";
  std::optional<std::string> saved_;
};

// A session bus where desktops keep it that takes connections and never
// answers: the program shows its window and its body editor, says why it
// goes on without the bus, and quits when asked.
TEST(SilentSessionBusEndToEndTest, TheProgramWorksWithoutABusThatNeverAnswers) {
  NoConfiguredBus noConfiguredBus;
  desktop::AppHome home;
  desktop::XDisplay display;
  testservers::FakeSessionBus bus(home.runtimeDirectory() / "bus", "");
  auto request = RequestTemplate::make("With a body", "http://127.0.0.1:9/", "POST", nullptr, 0);
  request->setBodyType(RequestBodyType::json);
  request->setBody("{\"shown\": true}");
  ASSERT_TRUE(storeForProgram(home, {request}));
  desktop::AppProcess app(home);
  const auto window = display.waitForWindow(app.pid(), "Wendalore", 20s);
  ASSERT_TRUE(window) << app.standardError();
  ASSERT_TRUE(display.click(window->id, 100, 32));   // the request's row
  ASSERT_TRUE(display.click(window->id, 491, 171));  // its Body tab, a web view
  std::this_thread::sleep_for(2s);
  display.screenshot("silent-session-bus");
  ASSERT_TRUE(display.pressKeys(window->id, "ctrl+q"));
  EXPECT_EQ(app.waitForExit(20s), 0) << app.standardError();
  EXPECT_THAT(app.standardError(), testing::HasSubstr("The session bus at " + bus.address() +
                                                      " did not answer within 3 s: going on without it."));
}

}  // namespace
}  // namespace wendalore
