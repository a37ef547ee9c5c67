#include "Platform/URLLoading/Engine/WebSocketStream.h"

#include <openssl/ssl.h>

#include <boost/asio/ip/address.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ssl.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/ssl.hpp>
#include <boost/beast/websocket.hpp>
#include <boost/beast/websocket/ssl.hpp>
#include <sstream>
#include <type_traits>

#include "Platform/Security/SecTrust.h"
#include "Platform/URLLoading/Engine/WebSocketLoop.h"
#include "Platform/URLLoading/Engine/WebSocketStreamFrameWatch.h"

namespace platform {

namespace {

namespace net = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
namespace websocket = beast::websocket;
using ErrorCode = beast::error_code;
using Result = WebSocketStream::Result;

using PlainSocket = websocket::stream<FrameWatchedStream<beast::tcp_stream>>;
using SecureSocket = websocket::stream<FrameWatchedStream<beast::ssl_stream<beast::tcp_stream>>>;

// How long the closing handshake after a message too big may take when the
// request sets no time-out.
constexpr WebSocketStream::Duration defaultClosingTime = std::chrono::seconds(5);

// The outcome of one step: the step's own failure stands for every error
// but an abort or a timeout.
Result stepResult(const ErrorCode& error, Result failure) {
  if (!error) return Result::done;
  if (error == net::error::operation_aborted) return Result::aborted;
  if (error == beast::error::timeout) return Result::timedOut;
  return failure;
}

Result upgradeResult(const ErrorCode& error) {
  if (error == websocket::condition::handshake_failed) return Result::upgradeRefused;
  const bool httpError = &error.category() == &http::make_error_code(http::error::bad_version).category();
  if (httpError && error != http::error::end_of_stream && error != http::error::partial_message) {
    return Result::badResponse;
  }
  return stepResult(error, Result::connectionLost);
}

Result frameResult(const ErrorCode& error) {
  if (error == websocket::error::closed) return Result::closedByPeer;
  if (error == websocket::error::message_too_big) return Result::messageTooBig;
  return stepResult(error, Result::connectionLost);
}

template <class Header>
std::int64_t headerSize(const Header& header) {
  std::ostringstream text;
  text << header;
  return static_cast<std::int64_t>(text.str().size());
}

bool isIPAddress(const std::string& host) {
  ErrorCode error;
  net::ip::make_address(host, error);
  return !error;
}

template <class Socket>
class BeastStream final : public WebSocketStream {
 public:
  static constexpr bool secure = std::is_same_v<Socket, SecureSocket>;

  BeastStream(net::io_context& context, const WebSocketEndpoint& endpoint)
      : endpoint_(endpoint), resolver_(context), closingTimer_(context) {
    if constexpr (secure) {
      tls_ = std::make_unique<net::ssl::context>(net::ssl::context::tls_client);
      SSL_CTX_set_verify(tls_->native_handle(), SSL_VERIFY_PEER, nullptr);
      SSL_CTX_set_cert_verify_callback(tls_->native_handle(), &BeastStream::keepPresentedChain, this);
      socket_.emplace(context, *tls_);
    } else {
      socket_.emplace(context);
    }
    socket_->control_callback([this](websocket::frame_type kind, beast::string_view payload) {
      if (kind == websocket::frame_type::close) peerCloseCame();
      if (kind == websocket::frame_type::pong && pongHandler_) pongHandler_({payload.data(), payload.size()});
    });
  }

  void resolve(Completion completion) override {
    resolver_.async_resolve(endpoint_.host, std::to_string(endpoint_.port),
                            [this, completion = std::move(completion)](
                                const ErrorCode& error, net::ip::tcp::resolver::results_type addresses) mutable {
                              addresses_ = std::move(addresses);
                              completion(stepResult(error, Result::cannotFindHost));
                            });
  }

  void connect(Duration timeout, Completion completion) override {
    expireAfter(timeout);
    lowest().async_connect(addresses_, [completion = std::move(completion)](const ErrorCode& error,
                                                                            const net::ip::tcp::endpoint&) mutable {
      completion(stepResult(error, Result::cannotConnect));
    });
  }

  void secureHandshake(Duration timeout, Completion completion) override {
    if constexpr (secure) {
      expireAfter(timeout);
      auto& tls = socket_->next_layer().next_layer();
      // Servers pick their certificate by the name; an address is no name.
      if (!isIPAddress(endpoint_.host)) SSL_set_tlsext_host_name(tls.native_handle(), endpoint_.host.c_str());
      tls.async_handshake(net::ssl::stream_base::client,
                          [completion = std::move(completion)](const ErrorCode& error) mutable {
                            completion(stepResult(error, Result::secureConnectionFailed));
                          });
    } else {
      completion(Result::done);
    }
  }

  std::shared_ptr<SecTrust> serverTrust() const override { return trust_; }

  void upgrade(const HTTPHeaderFields& fields, Duration timeout, Completion completion) override {
    // From here on the WebSocket layer keeps the time.
    lowest().expires_never();
    closingTime_ = timeout > Duration::zero() ? timeout : defaultClosingTime;
    websocket::stream_base::timeout timeouts{timeout > Duration::zero() ? timeout : websocket::stream_base::none(),
                                             websocket::stream_base::none(), false};
    socket_->set_option(timeouts);
    socket_->set_option(websocket::stream_base::decorator([this, fields](websocket::request_type& request) {
      for (const auto& [name, value] : fields) request.set(name, value);
      requestHeaderBytes_ = headerSize(request.base());
    }));
    socket_->async_handshake(response_, endpoint_.hostField, endpoint_.target,
                             [this, completion = std::move(completion)](const ErrorCode& error) mutable {
                               responseRead_ = !error || error == websocket::condition::handshake_failed;
                               if (responseRead_) responseHeaderBytes_ = headerSize(response_.base());
                               completion(upgradeResult(error));
                             });
  }

  std::shared_ptr<HTTPURLResponse> response(const URL& url) const override {
    if (!responseRead_) return nullptr;
    HTTPHeaderFields fields;
    for (const auto& field : response_) fields.emplace_back(field.name_string(), field.value());
    return HTTPURLResponse::make(url, static_cast<int>(response_.result_int()), fields);
  }

  std::int64_t requestHeaderBytes() const override { return requestHeaderBytes_; }
  std::int64_t responseHeaderBytes() const override { return responseHeaderBytes_; }

  void read(std::uint64_t maximumSize, Completion completion) override {
    // A frame may claim any length: one past the limit is refused on its
    // header, before anything is allocated for it.
    socket_->read_message_max(maximumSize);
    // The WebSocket layer then closes with 1009 but waits for the peer's
    // answer, or for a send to a peer that does not read, without end.
    messageTooBig_ = false;
    socket_->next_layer().frames().watch(maximumSize, [this] { boundClosing(); });
    socket_->async_read(buffer_, [this, completion = std::move(completion)](const ErrorCode& error, std::size_t) mutable {
      // A message read before the one too big leaves its watch to the next
      // read.
      closingTimer_.cancel();
      completion(frameEnd(error));
    });
  }

  Message takeMessage() override {
    const auto bytes = buffer_.cdata();
    Message message = socket_->got_text() ? Message(std::string(static_cast<const char*>(bytes.data()), bytes.size()))
                                          : Message(Data(bytes.data(), bytes.size()));
    buffer_.consume(buffer_.size());
    return message;
  }

  void write(const Message& message, Completion completion) override {
    const auto* text = std::get_if<std::string>(&message);
    const auto* data = std::get_if<Data>(&message);
    socket_->text(text != nullptr);
    const auto bytes = text ? net::buffer(*text) : net::buffer(data->bytes(), data->size());
    socket_->async_write(bytes, [this, completion = std::move(completion)](const ErrorCode& error, std::size_t) mutable {
      completion(frameEnd(error));
    });
  }

  void ping(std::string payload, Completion completion) override {
    socket_->async_ping(
        websocket::ping_data(payload.data(), payload.size()),
        [this, completion = std::move(completion)](const ErrorCode& error) mutable { completion(frameEnd(error)); });
  }

  void close(std::optional<std::uint16_t> status, std::string reason, Completion completion) override {
    websocket::close_reason frame;
    if (status) frame = websocket::close_reason(static_cast<websocket::close_code>(*status), reason);
    socket_->async_close(frame, [this, completion = std::move(completion)](const ErrorCode& error) mutable {
      completion(frameEnd(error));
    });
  }

  void onPong(std::function<void(std::string_view)> handler) override { pongHandler_ = std::move(handler); }

  std::optional<std::uint16_t> peerCloseStatus() const override {
    const auto code = socket_->reason().code;
    if (code == websocket::close_code::none) return std::nullopt;
    return static_cast<std::uint16_t>(code);
  }

  std::string peerCloseReason() const override {
    const auto& reason = socket_->reason().reason;
    return std::string(reason.data(), reason.size());
  }

  void abort() override {
    resolver_.cancel();
    closingTimer_.cancel();
    lowest().close();
  }

 private:
  beast::tcp_stream& lowest() { return beast::get_lowest_layer(*socket_); }

  // What a frame operation's error means: every operation the dropped
  // connection ends was ended by the message too big. Once the peer's close
  // frame came, the connection is closed whatever TCP does next: many
  // servers reset it after the closing handshake instead of shutting it.
  Result frameEnd(const ErrorCode& error) const {
    if (!error) return Result::done;
    if (messageTooBig_) return Result::messageTooBig;
    if (peerClosed_) return Result::closedByPeer;
    return frameResult(error);
  }

  // After a message too big the WebSocket layer closes with 1009 itself.
  void boundClosing() {
    messageTooBig_ = true;
    dropAfterClosingTime();
  }

  // The WebSocket layer answers the peer's close frame, then waits for the
  // peer to end the connection: without end for a peer that holds it
  // silent, or while a send to a peer that does not read holds the write.
  void peerCloseCame() {
    peerClosed_ = true;
    dropAfterClosingTime();
  }

  // Drops the connection once the closing handshake has taken its time.
  void dropAfterClosingTime() {
    closingTimer_.expires_after(closingTime_);
    closingTimer_.async_wait([this](const ErrorCode& error) {
      if (!error) lowest().close();
    });
  }

  void expireAfter(Duration timeout) {
    if (timeout > Duration::zero()) {
      lowest().expires_after(timeout);
    } else {
      lowest().expires_never();
    }
  }

  // Accepts any chain during the TLS handshake, keeping it as a trust: the
  // decision comes after the handshake, before the upgrade request is sent.
  static int keepPresentedChain(X509_STORE_CTX* context, void* argument) {
    auto& stream = *static_cast<BeastStream*>(argument);
    stream.trust_ = SecTrust::fromVerifyContext(context, stream.endpoint_.host);
    return 1;
  }

  const WebSocketEndpoint endpoint_;
  net::ip::tcp::resolver resolver_;
  net::ip::tcp::resolver::results_type addresses_;
  std::unique_ptr<net::ssl::context> tls_;
  std::optional<Socket> socket_;
  std::shared_ptr<SecTrust> trust_;
  websocket::response_type response_;
  bool responseRead_ = false;
  std::int64_t requestHeaderBytes_ = 0;
  std::int64_t responseHeaderBytes_ = 0;
  beast::flat_buffer buffer_;
  std::function<void(std::string_view)> pongHandler_;
  net::steady_timer closingTimer_;
  Duration closingTime_ = defaultClosingTime;
  bool messageTooBig_ = false;
  bool peerClosed_ = false;
};

}  // namespace

std::unique_ptr<WebSocketStream> WebSocketStream::make(WebSocketLoop& loop, const WebSocketEndpoint& endpoint) {
  if (endpoint.secure) return std::make_unique<BeastStream<SecureSocket>>(loop.context(), endpoint);
  return std::make_unique<BeastStream<PlainSocket>>(loop.context(), endpoint);
}

}  // namespace platform
