#include "MonacoHost/Loading/SessionBus.h"

#include <fmt/format.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>

#include "tests/Platform/ScratchDirectory.h"
#include "tests/servers/FakeSessionBus.h"

using monacohost::sessionBusAddress;
using monacohost::sessionBusState;
using monacohost::SessionBusState;
using testservers::FakeSessionBus;
using namespace std::chrono_literals;

namespace {

TEST(SessionBus, ABusIsUsableOnlyWhenItAnswersTheGreetingInTime) {
  ScratchDirectory scratch;
  std::filesystem::create_directory(scratch / "with space");
  FakeSessionBus answering(scratch / "with space" / "bus", "OK 0123456789abcdef\r\n");
  const std::string escaped = "unix:path=" + (scratch / "with%20space" / "bus").string();
  EXPECT_EQ(sessionBusState(escaped + ",guid=0123456789abcdef;autolaunch:", 2s), SessionBusState::usable);
  std::string uid;
  for (const char digit : std::to_string(geteuid())) uid += fmt::format("{:02x}", digit);
  ASSERT_EQ(answering.greetings().size(), 1U);
  EXPECT_EQ(answering.greetings()[0], std::string(1, '\0') + "AUTH EXTERNAL " + uid + "\r\n");

  FakeSessionBus silent(scratch / "silent", "");
  const auto started = std::chrono::steady_clock::now();
  EXPECT_EQ(sessionBusState(silent.address(), 300ms), SessionBusState::silent);
  const auto waited = std::chrono::steady_clock::now() - started;
  EXPECT_GE(waited, 300ms);
  EXPECT_LT(waited, 3s);

  FakeSessionBus talkative(scratch / "talkative", std::string(10'000, 'x'));
  EXPECT_EQ(sessionBusState(talkative.address(), 2s), SessionBusState::silent) << "no line, so no bus";
  EXPECT_EQ(sessionBusState("unix:path=" + (scratch / "nobody").string(), 2s), SessionBusState::silent);
  EXPECT_EQ(sessionBusState("", 2s), SessionBusState::absent);
  EXPECT_EQ(sessionBusState("autolaunch:", 2s), SessionBusState::absent);
  EXPECT_EQ(sessionBusState("tcp:host=localhost,port=1", 2s), SessionBusState::usable) << "left to the toolkit";
}

TEST(SessionBus, TheBusIsJudgedWhereTheToolkitWouldConnect) {
  ScratchDirectory scratch;
  FakeSessionBus answering(scratch / "answering", "OK 0123456789abcdef\r\n");
  FakeSessionBus silent(scratch / "silent", "");
  const std::string nobody = "unix:path=" + (scratch / "nobody").string();
  EXPECT_EQ(sessionBusState(nobody + ";" + answering.address(), 2s), SessionBusState::usable);
  EXPECT_EQ(sessionBusState(nobody + ";autolaunch:", 2s), SessionBusState::absent);
  EXPECT_EQ(sessionBusState("unix:guid=0123," + silent.address().substr(5), 300ms), SessionBusState::silent);

  FakeSessionBus busy(scratch / "busy", "OK 0123456789abcdef\r\n", 300ms);
  const int filler = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
  sockaddr_un address{.sun_family = AF_UNIX, .sun_path = {}};
  std::strncpy(address.sun_path, (scratch / "busy").c_str(), sizeof address.sun_path - 1);
  ASSERT_EQ(connect(filler, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  close(filler);  // stays in the backlog until taken
  EXPECT_EQ(sessionBusState(busy.address(), 2s), SessionBusState::usable) << "a full backlog only delays";
}

TEST(SessionBus, WithoutAConfiguredBusTheRuntimeDirectorysIsTaken) {
  ScratchDirectory runtime;
  EXPECT_EQ(sessionBusAddress("unix:path=/elsewhere", runtime.path().c_str()), "unix:path=/elsewhere");
  EXPECT_EQ(sessionBusAddress(nullptr, runtime.path().c_str()), "");
  EXPECT_EQ(sessionBusAddress("", nullptr), "");
  runtime.write("bus", "not a socket");
  EXPECT_EQ(sessionBusAddress(nullptr, runtime.path().c_str()), "");
  std::filesystem::remove(runtime / "bus");
  FakeSessionBus bus(runtime / "bus", "OK 0123456789abcdef\r\n");
  const std::string found = sessionBusAddress("", runtime.path().c_str());
  EXPECT_EQ(found, bus.address());
  EXPECT_EQ(sessionBusState(found, 2s), SessionBusState::usable);
}

}  // namespace
