#include "Wendalore/Views/Shell/SingleInstance.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QSignalSpy>

#include "tests/Platform/ScratchDirectory.h"

namespace wendalore {
namespace {

class SingleInstanceTest : public ::testing::Test {
 protected:
  QString socketPath() const { return QString::fromStdString((scratch / "Wendalore.socket").string()); }

  ScratchDirectory scratch;
};

TEST_F(SingleInstanceTest, ALaterStartAsksTheRunningOneForItsWindowAndStops) {
  SingleInstance first(socketPath());
  QSignalSpy activations(&first, &SingleInstance::activationRequested);
  ASSERT_EQ(first.claim(), SingleInstance::Claim::running) << first.errorString().toStdString();

  for (int start = 1; start <= 2; ++start) {
    SingleInstance later(socketPath());
    EXPECT_EQ(later.claim(), SingleInstance::Claim::forwarded);
    ASSERT_TRUE(activations.count() == start || activations.wait(5000));
    EXPECT_EQ(activations.count(), start);
  }
}

TEST_F(SingleInstanceTest, ASocketLeftByACrashedInstanceDoesNotBlockTheStart) {
  // Bound and closed without removing the file, as a killed process leaves it.
  const int stale = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const auto path = socketPath().toStdString();
  path.copy(address.sun_path, sizeof address.sun_path - 1);
  ASSERT_EQ(bind(stale, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(listen(stale, 1), 0);
  close(stale);
  ASSERT_TRUE(std::filesystem::exists(path));

  SingleInstance instance(socketPath());
  EXPECT_EQ(instance.claim(), SingleInstance::Claim::running) << instance.errorString().toStdString();
  SingleInstance later(socketPath());
  EXPECT_EQ(later.claim(), SingleInstance::Claim::forwarded);
}

}  // namespace
}  // namespace wendalore
