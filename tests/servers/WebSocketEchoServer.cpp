#include "tests/servers/WebSocketEchoServer.h"

#include <sys/socket.h>

// The request parser's optional length sets off a false alarm in some
// optimised builds.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/read.hpp>
#include <boost/asio/write.hpp>
#include <boost/asio/ssl.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/websocket.hpp>
#include <boost/beast/websocket/ssl.hpp>
#pragma GCC diagnostic pop
#include <charconv>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <set>
#include <thread>

#include "tests/servers/TLSCertificates.h"

namespace testservers {

namespace net = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
namespace websocket = beast::websocket;
using tcp = net::ip::tcp;

struct WebSocketServerState {
  net::io_context context;
  tcp::acceptor acceptor{context};
  std::unique_ptr<net::ssl::context> tls;
  int port = 0;
  std::thread acceptorThread;
  mutable std::mutex mutex;
  std::condition_variable changed;
  std::set<int> connections;
  std::size_t requests = 0;
  platform::HTTPHeaderFields lastFields;
  std::deque<WebSocketEchoServer::CloseFrame> closeFrames;
  bool stopping = false;
};

namespace {

constexpr std::size_t largestMessage = 16 * 1024 * 1024;

bool offersChat(beast::string_view offered) {
  for (const auto& protocol : http::token_list{offered}) {
    if (protocol == "chat") return true;
  }
  return false;
}

void record(WebSocketServerState& state, const http::request<http::string_body>& request) {
  platform::HTTPHeaderFields fields;
  for (const auto& field : request) fields.emplace_back(field.name_string(), field.value());
  std::lock_guard lock(state.mutex);
  ++state.requests;
  state.lastFields = std::move(fields);
}

void record(WebSocketServerState& state, const websocket::close_reason& frame) {
  WebSocketEchoServer::CloseFrame closeFrame;
  if (frame.code != websocket::close_code::none) closeFrame.code = frame.code;
  closeFrame.reason.assign(frame.reason.data(), frame.reason.size());
  std::lock_guard lock(state.mutex);
  state.closeFrames.push_back(std::move(closeFrame));
  state.changed.notify_all();
}

// "<command> <code> <reason>" gives the frame to close with.
std::optional<websocket::close_reason> closeCommand(std::string_view command, const std::string& text) {
  if (!text.starts_with(command) || text.size() <= command.size() || text[command.size()] != ' ') return std::nullopt;
  std::uint16_t code = 0;
  const char* start = text.data() + command.size() + 1;
  const auto [end, error] = std::from_chars(start, text.data() + text.size(), code);
  if (error != std::errc()) return std::nullopt;
  const beast::string_view rest(end, static_cast<std::size_t>(text.data() + text.size() - end));
  return websocket::close_reason(static_cast<websocket::close_code>(code), rest.empty() ? rest : rest.substr(1));
}

// Sends the close frame as the WebSocket layer would, but not through it:
// that layer would answer the client's close frame with an orderly TCP
// close.
template <class Stream>
void sendCloseFrame(Stream& stream, const websocket::close_reason& frame, beast::error_code& error) {
  std::string bytes{'\x88', static_cast<char>(2 + frame.reason.size())};
  bytes += static_cast<char>(frame.code >> 8);
  bytes += static_cast<char>(frame.code & 0xFF);
  bytes.append(frame.reason.data(), frame.reason.size());
  net::write(stream, net::buffer(bytes), error);
}

// Reads up to the end of the client's close frame, which is masked and
// comes as the next frame.
template <class Stream>
void readCloseFrame(Stream& stream, WebSocketServerState& state, beast::error_code& error) {
  unsigned char header[2];
  net::read(stream, net::buffer(header), error);
  if (error) return;
  std::string maskAndPayload(4 + (header[1] & 0x7F), '\0');
  net::read(stream, net::buffer(maskAndPayload), error);
  if (error || (header[0] & 0x0F) != 0x8) return;
  websocket::close_reason frame;
  for (std::size_t index = 4; index < maskAndPayload.size(); ++index) maskAndPayload[index] ^= maskAndPayload[index % 4];
  if (maskAndPayload.size() >= 6) {
    frame.code = static_cast<std::uint16_t>(static_cast<unsigned char>(maskAndPayload[4]) << 8 |
                                            static_cast<unsigned char>(maskAndPayload[5]));
    frame.reason.assign(maskAndPayload.data() + 6, maskAndPayload.size() - 6);
  }
  record(state, frame);
}

// The connection's socket ends with a reset, not a FIN, once it is closed.
void resetOnClose(tcp::socket& socket) {
  beast::error_code ignored;
  socket.set_option(net::socket_base::linger(true, 0), ignored);
}

template <class Stream>
void echo(websocket::stream<Stream&>& socket, WebSocketServerState& state) {
  while (true) {
    beast::flat_buffer message;
    beast::error_code error;
    socket.read(message, error);
    if (error == websocket::error::closed) return record(state, socket.reason());
    if (error) return;
    if (socket.got_text()) {
      const auto text = beast::buffers_to_string(message.data());
      if (text == "drop") {
        beast::get_lowest_layer(socket).shutdown(tcp::socket::shutdown_both, error);
        return;
      }
      if (text == "reset") return resetOnClose(beast::get_lowest_layer(socket));
      if (const auto frame = closeCommand("close", text)) {
        socket.close(*frame, error);
        return;
      }
      if (const auto frame = closeCommand("close-reset", text)) {
        sendCloseFrame(socket.next_layer(), *frame, error);
        if (!error) readCloseFrame(socket.next_layer(), state, error);
        return resetOnClose(beast::get_lowest_layer(socket));
      }
    }
    socket.text(socket.got_text());
    socket.write(message.data(), error);
    if (error) return;
  }
}

template <class Stream>
void serveHTTP(Stream& stream, WebSocketServerState& state) {
  beast::flat_buffer buffer;
  http::request<http::string_body> request;
  beast::error_code error;
  http::read(stream, buffer, request, error);
  if (error) return;
  record(state, request);
  if (request.target() == "/forbidden") {
    http::response<http::string_body> refusal{http::status::forbidden, 11};
    refusal.body() = "no";
    refusal.prepare_payload();
    http::write(stream, refusal, error);
    return;
  }
  const bool chat = request.target() == "/always-chat" || offersChat(request[http::field::sec_websocket_protocol]);
  websocket::stream<Stream&> socket(stream);
  socket.read_message_max(largestMessage);
  socket.set_option(websocket::stream_base::decorator([chat](websocket::response_type& response) {
    if (chat) response.set(http::field::sec_websocket_protocol, "chat");
  }));
  socket.accept(request, error);
  if (!error) echo(socket, state);
}

void serve(WebSocketServerState& state, tcp::socket& socket) {
  if (state.tls) {
    net::ssl::stream<tcp::socket&> stream(socket, *state.tls);
    beast::error_code error;
    stream.handshake(net::ssl::stream_base::server, error);
    if (!error) serveHTTP(stream, state);
  } else {
    serveHTTP(socket, state);
  }
}

}  // namespace

WebSocketEchoServer::WebSocketEchoServer(Transport transport) : state_(std::make_shared<WebSocketServerState>()) {
  if (transport == Transport::tls) {
    const auto& certificates = TLSCertificates::shared();
    state_->tls = std::make_unique<net::ssl::context>(net::ssl::context::tls_server);
    state_->tls->use_certificate_chain_file(certificates.certificatePath(TLSCertificates::Kind::valid).string());
    state_->tls->use_private_key_file(certificates.keyPath(TLSCertificates::Kind::valid).string(),
                                      net::ssl::context::pem);
  }
  const tcp::endpoint loopback(net::ip::address_v4::loopback(), 0);
  state_->acceptor.open(loopback.protocol());
  state_->acceptor.bind(loopback);
  state_->acceptor.listen();
  state_->port = state_->acceptor.local_endpoint().port();
  state_->acceptorThread = std::thread([state = state_] {
    while (true) {
      tcp::socket socket(state->context);
      beast::error_code error;
      state->acceptor.accept(socket, error);
      std::lock_guard lock(state->mutex);
      if (state->stopping) return;
      if (error) continue;
      const int fd = socket.native_handle();
      state->connections.insert(fd);
      std::thread([state, fd, socket = std::move(socket)]() mutable {
        serve(*state, socket);
        // Closed under the lock, so that its number is not shut down after
        // it has gone to another connection.
        std::lock_guard lock(state->mutex);
        beast::error_code ignored;
        socket.close(ignored);
        state->connections.erase(fd);
        state->changed.notify_all();
      }).detach();
    }
  });
}

WebSocketEchoServer::~WebSocketEchoServer() {
  {
    std::lock_guard lock(state_->mutex);
    state_->stopping = true;
    for (const int fd : state_->connections) ::shutdown(fd, SHUT_RDWR);
  }
  ::shutdown(state_->acceptor.native_handle(), SHUT_RDWR);
  state_->acceptorThread.join();
  std::unique_lock lock(state_->mutex);
  state_->changed.wait(lock, [&] { return state_->connections.empty(); });
}

std::string WebSocketEchoServer::baseURL() const {
  return (state_->tls ? "wss://127.0.0.1:" : "ws://127.0.0.1:") + std::to_string(state_->port);
}

std::size_t WebSocketEchoServer::requestCount() const {
  std::lock_guard lock(state_->mutex);
  return state_->requests;
}

platform::HTTPHeaderFields WebSocketEchoServer::lastRequestFields() const {
  std::lock_guard lock(state_->mutex);
  return state_->lastFields;
}

std::optional<WebSocketEchoServer::CloseFrame> WebSocketEchoServer::nextCloseFrame(std::chrono::milliseconds timeout) {
  std::unique_lock lock(state_->mutex);
  if (!state_->changed.wait_for(lock, timeout, [&] { return !state_->closeFrames.empty(); })) return std::nullopt;
  auto frame = std::move(state_->closeFrames.front());
  state_->closeFrames.pop_front();
  return frame;
}

}  // namespace testservers
