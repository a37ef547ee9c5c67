#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Platform/Store/ModelContainer.h"
#include "Wendalore/Model/RequestFolder.h"
#include "Wendalore/Model/RequestTemplate.h"
#include "tests/Platform/Store/SavedStoreCopy.h"
#include "tests/desktop/AppHome.h"
#include "tests/desktop/AppProcess.h"
#include "tests/desktop/XDisplay.h"
#include "tests/servers/ScriptedHTTPServer.h"

namespace wendalore {
namespace {

using namespace std::chrono_literals;

const auto schema = platform::Schema::of<RequestTemplate, RequestFolder>();

// Bodies as a server received them, answered as they came.
class EchoServer {
 public:
  std::vector<std::string> bodies() const {
    std::lock_guard lock(mutex_);
    return bodies_;
  }
  std::string url() const { return server_.baseURL() + "/echo"; }

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> bodies_;
  testservers::ScriptedHTTPServer server_{
      [this](testservers::ScriptedConnection& connection, const testservers::ScriptedRequest& request) {
        {
          std::lock_guard lock(mutex_);
          bodies_.push_back(request.body);
        }
        connection.send(testservers::httpResponse("200 OK", request.body, "Content-Type: application/json\r\n"));
        return testservers::ScriptedNext::keepOpen;
      }};
};

// A JSON POST in the real program: its body cut, pasted back and sent with
// Ctrl+Return in one go, as fast hands do.
class PastedBodyEndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto container = platform::ModelContainer::open(schema, home.storeFile());
    ASSERT_TRUE(container) << container.error()->description();
    auto request = RequestTemplate::make("Paste target", server.url(), "POST", nullptr, 0);
    request->setBodyType(RequestBodyType::json);
    (*container)->mainContext()->insert(request);
    ASSERT_TRUE((*container)->mainContext()->save());
  }

  // The body as the store holds it now; none while the file is being
  // written.
  std::optional<std::string> storedBody() const {
    try {
      auto all = platform::testing::openSavedCopy(schema, home.storeFile())->mainContext()->fetch<RequestTemplate>();
      if (all && all->size() == 1) return all->front()->body();
    } catch (const std::exception&) {
    }
    return std::nullopt;
  }
  // Whether the store holds `body` within `timeout`.
  bool waitForStoredBody(const std::string& body, std::chrono::milliseconds timeout) const {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
      if (storedBody() == body) return true;
      std::this_thread::sleep_for(50ms);
    }
    return false;
  }

  EchoServer server;
  desktop::AppHome home;
  desktop::XDisplay display;
};

TEST_F(PastedBodyEndToEndTest, ABodyPastedAndSentAtOnceGoesOutWhole) {
  const std::string body = R"({"pasted": "and sent at once", "count": 3})";
  desktop::AppProcess app(home);
  const auto window = display.waitForWindow(app.pid(), "Wendalore", 20s);
  ASSERT_TRUE(window) << app.standardError();
  ASSERT_TRUE(display.click(window->id, 100, 32));  // the request's row in the sidebar
  std::this_thread::sleep_for(1s);  // for the editor to be laid out
  ASSERT_TRUE(display.click(window->id, 491, 171));  // the Body tab
  std::this_thread::sleep_for(1s);
  // Typed again, over what the editor took, until the editor, which starts
  // with its page and may not be there yet on a busy machine, has taken it.
  bool taken = false;
  for (int attempt = 0; attempt < 6 && !taken; ++attempt) {
    ASSERT_TRUE(display.click(window->id, 700, 330));  // into the code editor
    ASSERT_TRUE(desktop::XDisplay::pressKeysAtOnce({"ctrl+a"}));
    ASSERT_TRUE(display.type(body));
    taken = waitForStoredBody(body, 10s);
  }
  ASSERT_TRUE(taken) << storedBody().value_or("(unreadable)");

  ASSERT_TRUE(desktop::XDisplay::pressKeysAtOnce({"ctrl+a", "ctrl+x"}));
  ASSERT_TRUE(waitForStoredBody("", 10s)) << storedBody().value_or("(unreadable)");
  ASSERT_TRUE(desktop::XDisplay::pressKeysAtOnce({"ctrl+v", "ctrl+Return"}));
  for (int tries = 0; tries < 400 && server.bodies().empty(); ++tries) std::this_thread::sleep_for(50ms);
  EXPECT_EQ(server.bodies(), std::vector<std::string>{body});

  ASSERT_TRUE(display.click(window->id, 400, 540));  // the send's row in the history
  std::this_thread::sleep_for(1s);  // for the answer to be shown highlighted
  display.screenshot("pasted-body-sent-at-once-response");
}

}  // namespace
}  // namespace wendalore
