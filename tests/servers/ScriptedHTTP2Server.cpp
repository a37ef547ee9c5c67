#include "tests/servers/ScriptedHTTP2Server.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <nghttp2/nghttp2.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <string_view>
#include <utility>
#include <vector>

#include "tests/servers/LoopbackAcceptor.h"
#include "tests/servers/TLSServerContext.h"

namespace testservers {

struct ScriptedHTTP2ServerState : LoopbackAcceptor {
  ScriptedHTTP2Server::Script script;
  std::string body;
  ContextPointer context{nullptr, &SSL_CTX_free};
  std::size_t received = 0;
  std::size_t processed = 0;
  std::size_t connectionsServed = 0;
};

namespace {

using Streams = ScriptedHTTP2Server::Streams;
using Head = ScriptedHTTP2Server::Head;

// A client that has what it needs closes soon after the server: this only
// bounds the wait for one that does not.
constexpr int drainTimeoutMilliseconds = 5000;
constexpr std::size_t maximumHeadLength = 1024 * 1024;

int selectHTTP2(SSL*, const unsigned char** selected, unsigned char* selectedLength, const unsigned char* offered,
                unsigned int offeredLength, void*) {
  for (unsigned int index = 0; index < offeredLength; index += 1u + offered[index]) {
    const std::string_view protocol(reinterpret_cast<const char*>(offered + index + 1), offered[index]);
    if (protocol == "h2") {
      *selected = offered + index + 1;
      *selectedLength = offered[index];
      return SSL_TLSEXT_ERR_OK;
    }
  }
  return SSL_TLSEXT_ERR_ALERT_FATAL;
}

ContextPointer makeContext() {
  auto context = makeServerContext("HTTP/2 test server");
  SSL_CTX_set_alpn_select_cb(context.get(), &selectHTTP2, nullptr);
  return context;
}

nghttp2_nv field(std::string_view name, std::string_view value, std::uint8_t flags = NGHTTP2_NV_FLAG_NONE) {
  return {reinterpret_cast<std::uint8_t*>(const_cast<char*>(name.data())),
          reinterpret_cast<std::uint8_t*>(const_cast<char*>(value.data())), name.size(), value.size(), flags};
}

std::string makeBody(std::size_t size) {
  if (size == 0) return "ok";
  std::string body;
  char line[16];
  for (unsigned number = 0; body.size() < size; ++number) {
    std::snprintf(line, sizeof line, "%07x\n", number);
    body += line;
  }
  body.resize(size);
  return body;
}

// One client connection: the protocol's session over a blocking TLS
// connection, read and answered on its own thread.
class Connection {
 public:
  Connection(ScriptedHTTP2ServerState& state, SSL* tls, int fd)
      : state_(state), tls_(tls), fd_(fd), largeValue_(state.script.largeFieldSize, 'x') {
    std::lock_guard lock(state_.mutex);
    first_ = state_.connectionsServed++ == 0;
  }
  ~Connection() {
    if (session_ != nullptr) nghttp2_session_del(session_);
  }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  void run() {
    nghttp2_session_callbacks* callbacks = nullptr;
    nghttp2_session_callbacks_new(&callbacks);
    nghttp2_session_callbacks_set_on_frame_recv_callback(callbacks, &Connection::onFrameReceived);
    nghttp2_session_callbacks_set_on_frame_send_callback(callbacks, &Connection::onFrameSent);
    nghttp2_option* options = nullptr;
    nghttp2_option_new(&options);
    // The library's own limit is below the heads the tests send.
    nghttp2_option_set_max_send_header_block_length(options, maximumHeadLength);
    const int created = nghttp2_session_server_new2(&session_, callbacks, this, options);
    nghttp2_option_del(options);
    nghttp2_session_callbacks_del(callbacks);
    if (created != 0) return;
    nghttp2_submit_settings(session_, NGHTTP2_FLAG_NONE, nullptr, 0);
    std::uint8_t buffer[16384];
    while (sendPending() && !(goAwaySent_ && closesAfterGoAway()) && !resets_) {
      const int count = SSL_read(tls_, buffer, sizeof buffer);
      if (count <= 0 || nghttp2_session_mem_recv(session_, buffer, static_cast<std::size_t>(count)) < 0) return;
    }
    if (resets_) return reset();
    if (goAwaySent_) closeGracefully();
  }

 private:
  static int onFrameReceived(nghttp2_session*, const nghttp2_frame* frame, void* self) {
    const bool requestEnds = (frame->hd.type == NGHTTP2_HEADERS || frame->hd.type == NGHTTP2_DATA) &&
                             (frame->hd.flags & NGHTTP2_FLAG_END_STREAM) != 0;
    if (requestEnds) static_cast<Connection*>(self)->requestEnded(frame->hd.stream_id);
    return 0;
  }

  static int onFrameSent(nghttp2_session*, const nghttp2_frame* frame, void* self) {
    auto& connection = *static_cast<Connection*>(self);
    if (frame->hd.type == NGHTTP2_GOAWAY) connection.goAwaySent_ = true;
    const bool answerEnded = frame->hd.type == NGHTTP2_DATA && (frame->hd.flags & NGHTTP2_FLAG_END_STREAM) != 0;
    const auto streams = connection.state_.script.streams;
    if (answerEnded && (streams == Streams::answerOneThenGoAway || streams == Streams::answerOneThenGoAwayAndReadOn)) {
      connection.goAway(frame->hd.stream_id);
    }
    return 0;
  }

  static ssize_t readBody(nghttp2_session*, std::int32_t stream, std::uint8_t* buffer, std::size_t length,
                          std::uint32_t* flags, nghttp2_data_source*, void* self) {
    auto& connection = *static_cast<Connection*>(self);
    const std::string_view rest = std::string_view(connection.state_.body).substr(connection.bodySent_[stream]);
    const auto count = std::min(length, rest.size());
    std::memcpy(buffer, rest.data(), count);
    connection.bodySent_[stream] += count;
    if (count == rest.size()) *flags |= NGHTTP2_DATA_FLAG_EOF;
    return static_cast<ssize_t>(count);
  }

  bool closesAfterGoAway() const { return state_.script.streams != Streams::answerOneThenGoAwayAndReadOn; }

  void requestEnded(std::int32_t stream) {
    {
      std::lock_guard lock(state_.mutex);
      ++state_.received;
    }
    const auto streams = state_.script.streams;
    if (streams != Streams::answerAll && streams != Streams::refuseAll && std::exchange(tookOne_, true)) return;
    if (streams == Streams::refuseAllByGoAway) return goAway(0);
    const bool failsUnderIt = streams == Streams::refuseOneThenTakeAndReset;
    if (streams == Streams::refuseAll || (failsUnderIt && first_)) {
      nghttp2_submit_rst_stream(session_, NGHTTP2_FLAG_NONE, stream, NGHTTP2_REFUSED_STREAM);
      return;
    }
    {
      std::lock_guard lock(state_.mutex);
      ++state_.processed;
    }
    if (streams == Streams::dropOneThenGoAway) return goAway(stream);
    if (failsUnderIt) {
      resets_ = true;
      return;
    }
    unanswered_.push_back(stream);
    if (unanswered_.size() < state_.script.answersTogether) return;
    for (auto latest = unanswered_.rbegin(); latest != unanswered_.rend(); ++latest) answer(*latest);
    unanswered_.clear();
  }

  void answer(std::int32_t stream) {
    const auto head = state_.script.head;
    std::vector<nghttp2_nv> fields{field(":status", head == Head::nonNumericStatus ? "2x0" : "200")};
    // Only a name the library does not copy goes out as it is, not
    // lowercased.
    if (head == Head::upperCaseName) fields.push_back(field("X-Upper", "1", NGHTTP2_NV_FLAG_NO_COPY_NAME));
    if (head == Head::connectionField) fields.push_back(field("connection", "close"));
    if (head == Head::transferEncodingField) fields.push_back(field("transfer-encoding", "chunked"));
    if (!state_.script.withoutLength) fields.push_back(field("content-length", contentLength_));
    if (!largeValue_.empty()) fields.push_back(field("x-large", largeValue_));
    for (const auto& status : state_.script.interimStatuses) {
      const nghttp2_nv interim[] = {field(":status", status), field("link", "</style.css>; rel=preload")};
      nghttp2_submit_headers(session_, NGHTTP2_FLAG_NONE, stream, nullptr, interim, 2, nullptr);
    }
    const nghttp2_data_provider provider{{}, &Connection::readBody};
    nghttp2_submit_response(session_, stream, fields.data(), fields.size(), &provider);
  }

  void goAway(std::int32_t lastStream) {
    nghttp2_submit_goaway(session_, NGHTTP2_FLAG_NONE, lastStream, NGHTTP2_NO_ERROR, nullptr, 0);
  }

  bool sendPending() {
    std::string gathered;
    while (true) {
      const std::uint8_t* bytes = nullptr;
      const auto count = nghttp2_session_mem_send(session_, &bytes);
      if (count < 0) return false;
      if (count == 0) break;
      gathered.append(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(count));
      if (!state_.script.coalesced && !write(std::exchange(gathered, {}))) return false;
    }
    return gathered.empty() || write(gathered);
  }

  bool write(const std::string& bytes) { return SSL_write(tls_, bytes.data(), static_cast<int>(bytes.size())) > 0; }

  // Closing with the client's unread requests still queued would reset the
  // connection, and the client could lose the GOAWAY before reading it: the
  // server stops writing and waits for the client to close first.
  void closeGracefully() {
    SSL_shutdown(tls_);
    ::shutdown(fd_, SHUT_WR);
    char discarded[4096];
    pollfd readable{fd_, POLLIN, 0};
    while (::poll(&readable, 1, drainTimeoutMilliseconds) > 0 && ::recv(fd_, discarded, sizeof discarded, 0) > 0) {
    }
  }

  // Closing with a zero linger time sends a reset in place of the TLS
  // closure and the end of the stream.
  void reset() {
    const linger now{1, 0};
    ::setsockopt(fd_, SOL_SOCKET, SO_LINGER, &now, sizeof now);
  }

  ScriptedHTTP2ServerState& state_;
  SSL* tls_;
  int fd_;
  const std::string largeValue_;
  const std::string contentLength_ = std::to_string(state_.body.size());
  nghttp2_session* session_ = nullptr;
  std::vector<std::int32_t> unanswered_;
  std::map<std::int32_t, std::size_t> bodySent_;
  bool first_ = false;
  bool tookOne_ = false;
  bool goAwaySent_ = false;
  bool resets_ = false;
};

void serve(const std::shared_ptr<ScriptedHTTP2ServerState>& state, int fd) {
  blockBrokenPipeSignal();
  // Frames go out as they are written, not after the client acknowledged
  // the ones before: bursts of many connections take a fraction as long.
  const int on = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  const std::unique_ptr<SSL, decltype(&SSL_free)> tls(SSL_new(state->context.get()), &SSL_free);
  if (tls && SSL_set_fd(tls.get(), fd) == 1 && SSL_accept(tls.get()) == 1) Connection(*state, tls.get(), fd).run();
  state->close(fd);
}

}  // namespace

ScriptedHTTP2Server::ScriptedHTTP2Server(Script script) : state_(std::make_shared<ScriptedHTTP2ServerState>()) {
  state_->script = script;
  state_->body = makeBody(script.bodySize);
  state_->context = makeContext();
  state_->start([state = state_](int fd) { serve(state, fd); });
}

ScriptedHTTP2Server::~ScriptedHTTP2Server() { state_->stop(); }

std::string ScriptedHTTP2Server::baseURL() const { return "https://127.0.0.1:" + std::to_string(state_->port); }

const std::string& ScriptedHTTP2Server::body() const { return state_->body; }

std::size_t ScriptedHTTP2Server::connectionCount() const {
  std::lock_guard lock(state_->mutex);
  return state_->accepted;
}

std::size_t ScriptedHTTP2Server::receivedRequestCount() const {
  std::lock_guard lock(state_->mutex);
  return state_->received;
}

std::size_t ScriptedHTTP2Server::processedRequestCount() const {
  std::lock_guard lock(state_->mutex);
  return state_->processed;
}

}  // namespace testservers
