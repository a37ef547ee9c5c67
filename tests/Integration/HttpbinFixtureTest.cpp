#include <gtest/gtest.h>
#include <signal.h>

#include <cerrno>

#include "tests/servers/HttpbinServer.h"

using testservers::HttpbinServer;

TEST(HttpbinFixture, AnswersGet) {
  EXPECT_EQ(testservers::loopbackHTTPStatus(HttpbinServer::shared().port(), "/get"), 200);
}

TEST(HttpbinFixture, StoppedServerIsGoneAndItsPortClosed) {
  HttpbinServer server;
  const pid_t pid = server.pid();
  ASSERT_EQ(testservers::loopbackHTTPStatus(server.port(), "/status/204"), 204);
  server.stop();
  EXPECT_FALSE(testservers::loopbackPortAccepts(server.port()));
  EXPECT_EQ(::kill(-pid, 0), -1);
  EXPECT_EQ(errno, ESRCH);
}
