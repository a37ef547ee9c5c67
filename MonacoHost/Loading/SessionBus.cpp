#include "MonacoHost/Loading/SessionBus.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QByteArray>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

namespace monacohost {
namespace {

constexpr const char* addressVariable = "DBUS_SESSION_BUS_ADDRESS";
// Nothing listens there: every connection is refused at once.
constexpr const char* refusingAddress = "unix:path=/dev/null";
constexpr auto answerBound = std::chrono::seconds(3);

using Clock = std::chrono::steady_clock;

struct LocalSocket {
  sockaddr_un address{};
  socklen_t length = 0;
};

// Takes the part of `rest` up to `separator`, and the separator, off its front.
std::string_view takePart(std::string_view& rest, char separator) {
  const std::string_view part = rest.substr(0, rest.find(separator));
  rest.remove_prefix(std::min(rest.size(), part.size() + 1));
  return part;
}

// The socket a "unix:" alternative of a bus address names, by path or in
// the abstract namespace; its keys may come in any order.
std::optional<LocalSocket> localSocket(std::string_view alternative) {
  constexpr std::string_view transport = "unix:";
  if (!alternative.starts_with(transport)) return std::nullopt;
  for (std::string_view keys = alternative.substr(transport.size()); !keys.empty();) {
    const std::string_view key = takePart(keys, ',');
    const bool abstract = key.starts_with("abstract=");
    if (!abstract && !key.starts_with("path=")) continue;
    const std::string_view escaped = key.substr(key.find('=') + 1);
    const QByteArray name = QByteArray::fromPercentEncoding(QByteArray(escaped.data(), escaped.size()));
    LocalSocket socket;
    socket.address.sun_family = AF_UNIX;
    const std::size_t offset = abstract ? 1 : 0;
    if (name.isEmpty() || name.size() + offset >= sizeof socket.address.sun_path) return std::nullopt;
    std::memcpy(socket.address.sun_path + offset, name.data(), name.size());
    socket.length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset + name.size() + (abstract ? 0 : 1));
    return socket;
  }
  return std::nullopt;
}

// Waits for `events` on `descriptor` until `deadline`.
bool ready(int descriptor, short events, Clock::time_point deadline) {
  for (;;) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return false;
    pollfd watched{.fd = descriptor, .events = events, .revents = 0};
    const int result = poll(&watched, 1, static_cast<int>(left));
    if (result > 0) return true;
    if (result < 0 && errno != EINTR) return false;
  }
}

// The greeting every client opens with: a zero byte, then the request to
// be known by its user id, which the bus answers whether it accepts or not.
std::string greeting() {
  return std::string(1, '\0') + "AUTH EXTERNAL " + QByteArray::number(geteuid()).toHex().toStdString() + "\r\n";
}

enum class Probe { unreachable, answered, unanswered };

// Connects as the toolkit does: a listener with a full backlog takes the
// connection once it accepts again, and the toolkit waits for that. A
// blocking connect waits as long as the send timeout allows, where a
// non-blocking one gives up at once. Empty once connected.
std::optional<Probe> connectBy(int descriptor, const LocalSocket& bus, Clock::time_point deadline) {
  for (;;) {
    const auto left = std::chrono::ceil<std::chrono::microseconds>(deadline - Clock::now()).count();
    if (left <= 0) return Probe::unanswered;
    const timeval timeout{.tv_sec = static_cast<time_t>(left / 1'000'000),
                          .tv_usec = static_cast<suseconds_t>(left % 1'000'000)};
    if (setsockopt(descriptor, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout) != 0) return Probe::unreachable;
    if (connect(descriptor, reinterpret_cast<const sockaddr*>(&bus.address), bus.length) == 0) return std::nullopt;
    if (errno != EINTR) return errno == EAGAIN ? Probe::unanswered : Probe::unreachable;
  }
}

Probe probe(const LocalSocket& bus, Clock::time_point deadline) {
  const int descriptor = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (descriptor < 0) return Probe::unreachable;
  struct Closer {
    int descriptor;
    ~Closer() { close(descriptor); }
  } closer{descriptor};

  if (const auto failed = connectBy(descriptor, bus, deadline)) return *failed;
  if (fcntl(descriptor, F_SETFL, fcntl(descriptor, F_GETFL) | O_NONBLOCK) != 0) return Probe::unreachable;
  const std::string hello = greeting();
  for (std::size_t sent = 0; sent < hello.size();) {
    if (!ready(descriptor, POLLOUT, deadline)) return Probe::unanswered;
    const ssize_t written = send(descriptor, hello.data() + sent, hello.size() - sent, MSG_NOSIGNAL);
    if (written < 0 && errno != EAGAIN && errno != EINTR) return Probe::unanswered;
    if (written > 0) sent += static_cast<std::size_t>(written);
  }
  // A bus answers with one short line; a peer that talks on without one
  // is no bus.
  constexpr std::size_t longestReply = 4096;
  std::string reply;
  while (reply.find("\r\n") == std::string::npos) {
    if (reply.size() > longestReply || !ready(descriptor, POLLIN, deadline)) return Probe::unanswered;
    char bytes[256];
    const ssize_t received = recv(descriptor, bytes, sizeof bytes, 0);
    if (received == 0 || (received < 0 && errno != EAGAIN && errno != EINTR)) return Probe::unanswered;
    if (received > 0) reply.append(bytes, static_cast<std::size_t>(received));
  }
  return Probe::answered;
}

}  // namespace

std::string sessionBusAddress(const char* configured, const char* runtimeDirectory) {
  if (configured && *configured) return configured;
  if (!runtimeDirectory || !*runtimeDirectory) return {};
  const std::string path = std::string(runtimeDirectory) + "/bus";
  struct stat status {};
  if (stat(path.c_str(), &status) != 0 || !S_ISSOCK(status.st_mode)) return {};
  return "unix:path=" +
         QByteArray(path.data(), static_cast<qsizetype>(path.size())).toPercentEncoding("/").toStdString();
}

SessionBusState sessionBusState(std::string_view address, std::chrono::milliseconds bound) {
  if (address.empty()) return SessionBusState::absent;
  const auto deadline = Clock::now() + bound;
  // The toolkit takes the first alternative it can connect to.
  for (std::string_view rest = address; !rest.empty();) {
    const std::string_view alternative = takePart(rest, ';');
    if (alternative.starts_with("autolaunch:")) return SessionBusState::absent;
    const auto bus = localSocket(alternative);
    if (!bus) return SessionBusState::usable;
    switch (probe(*bus, deadline)) {
      case Probe::unreachable:
        continue;
      case Probe::answered:
        return SessionBusState::usable;
      case Probe::unanswered:
        return SessionBusState::silent;
    }
  }
  return SessionBusState::silent;
}

void keepOffUnusableSessionBus() {
  const std::string address = sessionBusAddress(std::getenv(addressVariable), std::getenv("XDG_RUNTIME_DIR"));
  switch (sessionBusState(address, answerBound)) {
    case SessionBusState::usable:
      return;
    case SessionBusState::silent:
      std::fprintf(stderr, "The session bus at %s did not answer within %lld s: going on without it.\n",
                   address.c_str(), static_cast<long long>(answerBound.count()));
      break;
    case SessionBusState::absent:
      break;
  }
  setenv(addressVariable, refusingAddress, 1);
}

}  // namespace monacohost
