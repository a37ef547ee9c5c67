#include <gtest/gtest.h>
#include <malloc.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <string>

#include "Platform/Dispatch/RunLoop.h"
#include "Wendalore/ViewModel/PrettyPrintedBody.h"
#include "Wendalore/ViewModel/RequestViewModel.h"
#include "tests/servers/ScriptedHTTPServer.h"

namespace wendalore {
namespace {

using namespace std::chrono_literals;

// A field of this process's status, in bytes: the resident memory now and
// at its peak since the last reset.
std::size_t residentField(const std::string& field) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.starts_with(field + ":")) return std::stoul(line.substr(field.size() + 1)) * 1024;
  }
  return 0;
}
std::size_t resident() { return residentField("VmRSS"); }
std::size_t peakResident() { return residentField("VmHWM"); }
void resetPeakResident() { std::ofstream("/proc/self/clear_refs") << "5"; }

// A compact JSON array of small records: its parsed tree is several times
// its size, as with the large answers of real services.
std::string compactRecords(std::size_t bytes) {
  std::string body = "[";
  for (int index = 0; body.size() < bytes; ++index) {
    body += R"({"id":)" + std::to_string(index) + R"(,"name":"item","tags":["a","b"],"on":true},)";
  }
  body.back() = ']';
  return body;
}

// Records that each repeat a key, and one object of many distinct keys:
// what pretty-printing learns of keys grows with them.
std::string recordsRepeatingAKey(std::size_t bytes) {
  std::string body = "[";
  while (body.size() < bytes) body += R"({"k":1,"k":2},)";
  body.back() = ']';
  return body;
}
std::string oneWideObject(std::size_t bytes) {
  std::string body = "{";
  for (int index = 0; body.size() < bytes; ++index) body += '"' + std::to_string(index) + R"(":1,)";
  body.back() = '}';
  return body;
}

// A large answer is kept once, shared by the view model and its history
// entry, and what formatting it took goes back to the system.
TEST(ResponseMemory, ALargeAnswerIsKeptOnceAndFormattingItGivesItsMemoryBack) {
  const std::string body = compactRecords(48u << 20);
  testservers::ScriptedHTTPServer server([&](testservers::ScriptedConnection& connection, const auto&) {
    connection.send("HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: " +
                    std::to_string(body.size()) + "\r\n\r\n");
    connection.send(body);
    return testservers::ScriptedNext::close;
  });
  auto model = RequestViewModel::make();
  const auto residentBefore = resident();
  resetPeakResident();

  model->sendRequest(server.baseURL() + "/large", "GET", {}, "", RequestBodyType::none, RequestAuthType::none, "", "",
                     "");
  const auto entry = model->requestHistory().front();
  ASSERT_TRUE(platform::RunLoop::main().runUntil([&] { return !entry->isPending() && !model->isLoading(); }, 300s));
  const auto& shown = model->responseBody();
  ASSERT_GT(shown.size(), body.size());
  EXPECT_EQ(&shown, &entry->responseBody()) << "the view model keeps a copy of its own";

#if defined(__SANITIZE_ADDRESS__)
  // The sanitizer's allocator holds freed memory back on purpose.
  GTEST_SKIP() << "resident memory is not the program's own under the address sanitizer";
#endif
  // The bytes received and the text written out, with room for what the
  // transfer leaves behind; no parsed tree, many times the body's size.
  const auto kept = shown.size();
  EXPECT_LE(peakResident() - residentBefore, kept + 2 * body.size());
  // Nor does what formatting took stay resident.
  model.reset();
  // Memory goes back off the main thread, soon after the answer is shown.
  const auto limit = residentBefore + kept + 2 * body.size();
  platform::RunLoop::main().runUntil([&] { return resident() <= limit; }, 30s);
  EXPECT_LE(resident(), limit) << "still held beyond the history's copy";
}

// A key repeated once among many records costs what pretty-printing takes
// for any body: the text, written in its size, and no tree of the body.
TEST(ResponseMemory, ARepeatedKeyCostsNoMoreThanAnyBody) {
  std::string records = compactRecords(20u << 20);
  const auto middle = records.find(R"("on":true})", records.size() / 2);
  records.insert(middle + 9, R"(,"id":-1)");
  const platform::Data body(records);
  records = std::string();
  const auto residentBefore = resident();
  resetPeakResident();

  const auto shown = prettyPrintedBody(body);
  ASSERT_GT(shown.size(), body.size());
  EXPECT_NE(shown.find("\"id\" : -1,"), std::string::npos) << "the last value counts, at the first place";
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "resident memory is not the program's own under the address sanitizer";
#endif
  EXPECT_LE(peakResident() - residentBefore, 3 * body.size());
}

// However its keys fall, a body pretty-printed peaks at a few times its
// size: the text, and what is kept of the keys, not per object or per key
// as much as the body holds.
TEST(ResponseMemory, EveryShapeOfBodyPeaksAtAFewTimesItsSize) {
  struct Shape {
    std::string (*make)(std::size_t);
    std::size_t bytes;
    std::string_view shown;
  };
  const Shape shapes[] = {
      {compactRecords, 20u << 20, "  {\n    \"id\" : 0,\n    \"name\" : \"item\","},
      {recordsRepeatingAKey, 20u << 20, "  {\n    \"k\" : 2\n  },"},
      {oneWideObject, 20u << 20, "{\n  \"0\" : 1,\n  \"1\" : 1,"},
      {recordsRepeatingAKey, 40u << 20, "  {\n    \"k\" : 2\n  },"},
  };
  for (const auto& shape : shapes) {
    std::string text = shape.make(shape.bytes);
    const platform::Data body(text);
    text = std::string();
    // What the shape before freed would otherwise hide what this one takes.
    malloc_trim(0);
    const auto residentBefore = resident();
    resetPeakResident();

    const auto shown = prettyPrintedBody(body);
    EXPECT_NE(shown.find(shape.shown), std::string::npos) << shape.shown;
    EXPECT_EQ(shown.find(R"("k" : 1)"), std::string::npos) << "only the last value of a key counts";
#if !defined(__SANITIZE_ADDRESS__)
    EXPECT_LE(peakResident() - residentBefore, 4 * body.size()) << shape.shown;
#endif
  }
}

}  // namespace
}  // namespace wendalore
