#include <gtest/gtest.h>

#include <chrono>

#include "Platform/Dispatch/RunLoop.h"
#include "Platform/Store/ModelContainer.h"
#include "Wendalore/Editor/RequestEditor.h"
#include "Wendalore/Model/RequestFolder.h"
#include "tests/Platform/ScratchDirectory.h"
#include "tests/servers/HttpbinServer.h"

namespace wendalore {
namespace {

using namespace std::chrono_literals;

// A header value pasted with a line break would let a person smuggle a
// second header (or a second request) onto the wire; the send must fail
// instead, with the library's error where the window reports errors.
TEST(EditorHttpbin, AHeaderValueWithALineBreakNeverReachesTheWire) {
  struct Case {
    const char* name;
    std::string value;
    bool reachesServer;
  };
  const Case cases[] = {
      {"a plain value", "plain", true},
      {"a pasted CR LF", "pasted\r\nX-Injected: yes", false},
      {"a bare LF", "pasted\nX-Injected: yes", false},
  };
  ScratchDirectory scratch;
  auto container =
      *platform::ModelContainer::open(platform::Schema::of<RequestTemplate, RequestFolder>(), scratch / "s.sqlite");
  auto viewModel = RequestViewModel::make();
  for (const auto& test : cases) {
    auto request = RequestTemplate::make("h", testservers::HttpbinServer::shared().baseURL() + "/headers", "GET",
                                         nullptr, 0);
    container->mainContext()->insert(request);
    request->setHeaders({RequestHeaderItem::make("X-Pasted", test.value)});
    auto editor = RequestEditor::make(request, viewModel, container->mainContext(), nullptr);
    editor->send();
    const auto entry = viewModel->requestHistory().front();
    ASSERT_TRUE(platform::RunLoop::main().runUntil([&] { return !entry->isPending(); }, 60s)) << test.name;

    EXPECT_EQ(entry->statusCode() == 200, test.reachesServer) << test.name;
    EXPECT_EQ(entry->responseBody().find("X-Injected"), std::string::npos) << test.name;
    if (test.reachesServer) {
      EXPECT_EQ(viewModel->errorMessage(), std::nullopt) << test.name;
    } else {
      ASSERT_TRUE(viewModel->errorMessage().has_value()) << test.name;
      EXPECT_NE(viewModel->errorMessage()->find("line break"), std::string::npos) << *viewModel->errorMessage();
    }
  }
}

}  // namespace
}  // namespace wendalore
