#include <gtest/gtest.h>

#include <csignal>
#include <thread>

#include "Platform/Store/ModelContainer.h"
#include "Wendalore/Model/RequestFolder.h"
#include "Wendalore/Model/RequestTemplate.h"
#include "tests/Platform/Store/SavedStoreCopy.h"
#include "tests/desktop/AppHome.h"
#include "tests/desktop/AppProcess.h"
#include "tests/desktop/XDisplay.h"

namespace wendalore {
namespace {

using namespace std::chrono_literals;

const auto schema = platform::Schema::of<RequestTemplate, RequestFolder>();

// What the program typed into a request and killed at once leaves in the
// store: the request's URL and its parameter rows, as a fresh start reads
// them.
class TypingSurvivesAKillTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto container = platform::ModelContainer::open(schema, home.storeFile());
    ASSERT_TRUE(container) << container.error()->description();
    (*container)->mainContext()->insert(RequestTemplate::make("Typed into", "", "GET", nullptr, 0));
    ASSERT_TRUE((*container)->mainContext()->save());
  }

  // The request as the store holds it now; none while the file is being
  // written.
  std::shared_ptr<RequestTemplate> stored() const {
    try {
      auto all = platform::testing::openSavedCopy(schema, home.storeFile())->mainContext()->fetch<RequestTemplate>();
      return all && all->size() == 1 ? all->front() : nullptr;
    } catch (const std::exception&) {
      return nullptr;
    }
  }

  desktop::AppHome home;
  desktop::XDisplay display;
};

TEST_F(TypingSurvivesAKillTest, AURLTypedAndLeftAloneIsInTheStoreWhenTheProgramIsKilled) {
  const std::string typed = "http://127.0.0.1:9/kept?page=2&sort=name";
  {
    desktop::AppProcess app(home);
    const auto window = display.waitForWindow(app.pid(), "Wendalore", 20s);
    ASSERT_TRUE(window) << app.standardError();
    ASSERT_TRUE(display.click(window->id, 100, 32));  // the request's row in the sidebar
    std::this_thread::sleep_for(1s);  // for the editor to be laid out
    ASSERT_TRUE(display.click(window->id, 600, 101));  // its URL field
    ASSERT_TRUE(display.type(typed));
    display.screenshot("typing-typed");

    // No Send, no other request, no Quit: only the pause after typing.
    std::shared_ptr<RequestTemplate> request;
    for (int tries = 0; tries < 200 && !(request && request->url() == typed); ++tries) {
      std::this_thread::sleep_for(50ms);
      request = stored();
    }
    ASSERT_TRUE(request);
    EXPECT_EQ(request->url(), typed);
    ASSERT_EQ(::kill(app.pid(), SIGKILL), 0);
    EXPECT_EQ(app.waitForExit(10s), 128 + SIGKILL);
  }

  auto container = platform::ModelContainer::open(schema, home.storeFile());
  ASSERT_TRUE(container) << container.error()->description();
  const auto requests = (*container)->mainContext()->fetch<RequestTemplate>().value();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0]->url(), typed);
  std::vector<std::pair<std::string, std::string>> rows;
  for (const auto& row : requests[0]->queryParams()) rows.emplace_back(row->key(), row->value());
  EXPECT_EQ(rows, (std::vector<std::pair<std::string, std::string>>{{"page", "2"}, {"sort", "name"}}));
}

}  // namespace
}  // namespace wendalore
