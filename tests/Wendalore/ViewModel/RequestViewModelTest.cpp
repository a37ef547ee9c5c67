#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "Platform/Dispatch/RunLoop.h"
#include "Wendalore/ViewModel/PrettyPrintedBody.h"
#include "Wendalore/ViewModel/RequestViewModel.h"

namespace wendalore {
namespace {

using namespace std::chrono_literals;

TEST(RequestViewModelTest, StartsReadyAndAnnouncesEveryAssignment) {
  const auto model = RequestViewModel::make();
  EXPECT_EQ(model->responseStatus(), "Ready");
  EXPECT_EQ(model->responseBody(), "");
  EXPECT_EQ(model->errorMessage(), std::nullopt);
  EXPECT_FALSE(model->isLoading());
  EXPECT_TRUE(model->requestHistory().empty());
  EXPECT_EQ(model->selectedFileURL(), std::nullopt);
  EXPECT_EQ(model->multipartFieldName(), "file");
  EXPECT_EQ(model->multipartFileName(), "upload.bin");
  EXPECT_EQ(model->multipartMimeType(), "application/octet-stream");
  EXPECT_EQ(model->selectedRequest(), nullptr);

  int willChange = 0;
  std::vector<std::string> changed;
  auto before = model->observeWillChange([&] { ++willChange; });
  auto after = model->observeDidChange([&](std::string_view property) { changed.emplace_back(property); });
  model->setMultipartFieldName("file");
  model->setMultipartFieldName("file");
  EXPECT_EQ(willChange, 2);
  EXPECT_EQ(changed, (std::vector<std::string>{"multipartFieldName", "multipartFieldName"}));

  changed.clear();
  model->setSelectedRequest(nullptr);
  EXPECT_EQ(willChange, 3);
  EXPECT_EQ(changed, (std::vector<std::string>{"selectedRequest"}));
  EXPECT_EQ(model->selectedRequest(), nullptr);
}

// A send refused before it starts sends nothing and changes nothing but the
// error text. An address that is no URL leaves the history as it was; a
// file that cannot be read is kept there, failed, with what was typed.
TEST(RequestViewModelTest, ARefusedSendOnlyTellsWhy) {
  const auto directory = std::filesystem::temp_directory_path() / "wendalore-viewmodel-refused";
  std::filesystem::create_directories(directory);
  const auto missing = (directory / "missing.bin").string();
  struct Case {
    std::string url;
    RequestBodyType bodyType;
    std::optional<std::string> file;
    std::string error;
  };
  const Case cases[] = {
      {"", RequestBodyType::none, std::nullopt, "Invalid URL"},
      {"http://exa mple.com", RequestBodyType::json, std::nullopt, "Invalid URL"},
      {"http://127.0.0.1:9/post", RequestBodyType::multipart, missing,
       "The file \"" + missing + "\" could not be read: No such file or directory."},
      {"http://127.0.0.1:9/post", RequestBodyType::multipart, directory.string(),
       "The file \"" + directory.string() + "\" could not be read: Is a directory."},
  };
  for (const auto& test : cases) {
    const auto model = RequestViewModel::make();
    if (test.file) model->setSelectedFileURL(platform::URL::fileURL(*test.file));
    std::vector<std::string> changed;
    auto token = model->observeDidChange([&](std::string_view property) { changed.emplace_back(property); });
    model->sendRequest(test.url, "POST", {}, "{}", test.bodyType, RequestAuthType::none, "", "", "");
    EXPECT_EQ(model->errorMessage(), test.error) << test.url;
    EXPECT_FALSE(model->isLoading());
    EXPECT_EQ(model->responseStatus(), "Ready");
    EXPECT_EQ(model->responseBody(), "");
    if (!test.file) {
      EXPECT_EQ(changed, (std::vector<std::string>{"errorMessage"})) << test.url;
      EXPECT_TRUE(model->requestHistory().empty()) << test.url;
      continue;
    }
    EXPECT_EQ(changed, (std::vector<std::string>{"errorMessage", "requestHistory"})) << test.url;
    ASSERT_EQ(model->requestHistory().size(), 1u) << test.url;
    const auto& entry = *model->requestHistory().front();
    EXPECT_EQ(entry.error(), test.error);
    EXPECT_FALSE(entry.isPending());
    EXPECT_EQ(entry.statusCode(), 0);
    EXPECT_EQ(entry.url(), test.url);
    EXPECT_EQ(entry.requestBody(), "{}");
    EXPECT_FALSE(entry.bodyWasSent());
  }
  std::filesystem::remove_all(directory);
}

wendanet::DataResponse<platform::Data> okResponse(const std::string& body) {
  const platform::Data data(body);
  return {std::nullopt, platform::HTTPURLResponse::make(*platform::URL::string("http://127.0.0.1/"), 200, {}), data,
          nullptr, 0, data};
}

// Formatting runs off the main thread; a small body that arrives after a
// large one must still be applied after it.
TEST(RequestViewModelTest, ResponsesAreAppliedInTheOrderTheyArrived) {
  std::string large = "[";
  for (int index = 0; index < 100'000; ++index) large += R"({"id":1,"name":"item"},)";
  large.back() = ']';
  const auto model = RequestViewModel::make();
  std::vector<std::string> bodies;
  auto token = model->observeDidChange([&](std::string_view property) {
    if (property == "responseBody") bodies.push_back(model->responseBody());
  });
  model->completeRequest(platform::UUID(), platform::Date::now(), okResponse(large));
  model->completeRequest(platform::UUID(), platform::Date::now(), okResponse("[1]"));
  ASSERT_TRUE(platform::RunLoop::main().runUntil([&] { return bodies.size() == 2; }, 60s));
  EXPECT_EQ(bodies[0], prettyPrintedBody(platform::Data(large)));
  EXPECT_EQ(bodies[1], "[\n  1\n]");
  // Entries that left the history are not searched for: only the display
  // changed.
  EXPECT_EQ(model->responseStatus(), "Status: 200");
  EXPECT_FALSE(model->isLoading());
  EXPECT_TRUE(model->requestHistory().empty());
}

}  // namespace
}  // namespace wendalore
