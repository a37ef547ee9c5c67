#include "Platform/URLLoading/Engine/Transfer.h"

#include <openssl/ssl.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <utility>

#include "Platform/Fatal.h"
#include "Platform/Foundation/ASCIICase.h"
#include "Platform/Foundation/URLError.h"
#include "Platform/Network/IPAddressText.h"
#include "Platform/URLLoading/Engine/CurlError.h"
#include "Platform/URLLoading/Engine/ServerTrustAnswer.h"
#include "Platform/URLLoading/Engine/TransferScheduler.h"
#include "Platform/URLLoading/Engine/URLErrorMapping.h"

namespace platform {

namespace {

std::atomic<std::size_t> liveHandles{0};

// Large enough that a body of a few hundred kilobytes takes few turns of
// the engine loop, small enough that a paused transfer holds little. The
// library allocates the buffer for every transfer and frees it at its end:
// below 64 KB, so that freeing it does not make the allocator sweep and
// trim its heap each time.
constexpr long bufferSize = 32 * 1024;

// Over HTTP/2 the library copies a response's head into this same buffer
// once the head's last frame has been read, and after it the body bytes
// that came in the same TLS record. Bytes that find no room it sets aside:
// the rest of the head it hands over on a later turn that nothing wakes,
// body bytes halfway through their frame, which it reads on in only when
// more bytes come from the server. A frame that ended the stream then waits
// for bytes that never come, and a response without a length for its
// time-out. With room for the largest head the parser takes and a whole
// record, nothing is set aside there; only transfers that may speak HTTP/2
// pay for a buffer that large and for what freeing it costs.
constexpr long largestTLSRecord = 16 * 1024;
constexpr long http2BufferSize = static_cast<long>(ResponseHeaderParser::maximumBlockSize) + largestTLSRecord;

template <class Value>
void setOption(CURL* handle, CURLoption option, Value value) {
  // Only options this library version knows are set; they fail only when
  // memory runs out, which the transfer then reports.
  curl_easy_setopt(handle, option, value);
}

std::int64_t infoMicroseconds(CURL* handle, CURLINFO info) {
  curl_off_t value = 0;
  curl_easy_getinfo(handle, info, &value);
  return static_cast<std::int64_t>(value);
}

// The line that ends a header block.
bool isBlankLine(std::string_view line) { return line == "\r\n" || line == "\n"; }

long infoLong(CURL* handle, CURLINFO info) {
  long value = 0;
  curl_easy_getinfo(handle, info, &value);
  return value;
}

std::int64_t infoOffset(CURL* handle, CURLINFO info) {
  curl_off_t value = 0;
  curl_easy_getinfo(handle, info, &value);
  return static_cast<std::int64_t>(value);
}

// Every Content-Encoding line, in order, as one list.
std::string contentEncoding(const HTTPHeaderFields& fields) {
  std::string codings;
  for (const auto& [name, value] : fields) {
    if (!equalsIgnoringASCIICase(name, "Content-Encoding")) continue;
    if (!codings.empty()) codings += ',';
    codings += value;
  }
  return codings;
}

bool upgrades(const std::vector<std::string>& headerLines) {
  return std::ranges::any_of(headerLines, [](const std::string& line) {
    return line.size() > 8 && equalsIgnoringASCIICase(std::string_view(line).substr(0, 8), "Upgrade:");
  });
}

// Every transfer has a handle of its own, never one an earlier transfer
// used: the library keeps pointing at the last field line it stored on a
// handle after the next transfer has freed it, and would append a folded
// first field line of that transfer's response to freed memory.
CURL* newHandle() {
  CURL* handle = curl_easy_init();
  if (handle == nullptr) fatal("The transfer library could not create a transfer handle.");
  return handle;
}

std::string originOf(const URL& url) {
  const auto scheme = asciiLowercased(url.scheme().value_or(""));
  const int port = url.port().value_or(scheme == "https" ? 443 : 80);
  return scheme + "://" + asciiLowercased(url.host().value_or("")) + ":" + std::to_string(port);
}

}  // namespace

AnyError TransferListener::transferReceivedServerTrust(const URLProtectionSpace& space, const URL& url) {
  return defaultServerTrustRefusal(space, url);
}

bool TransferListener::transferMaySend() { return true; }

Transfer::Transfer(TransferListener& listener, TransferScheduler& scheduler, URLRequest request,
                   HeaderLines headerLines, std::unique_ptr<BodySource> body)
    : listener_(listener),
      scheduler_(scheduler),
      handle_(newHandle()),
      headerLines_(std::move(headerLines)),
      request_(std::move(request)),
      origin_(originOf(*request_.url())),
      secure_(equalsIgnoringASCIICase(request_.url()->scheme().value_or(""), "https")),
      body_(std::move(body)),
      asksToUpgrade_(upgrades(*headerLines_)),
      fetchStart_(Date::now()),
      lastActivity_(Clock::now()) {
  ++liveHandles;
  // The library only reads the lines, though its list holds them as
  // writable text.
  headerList_.resize(headerLines_->size());
  for (std::size_t index = 0; index < headerList_.size(); ++index) {
    headerList_[index].data = const_cast<char*>((*headerLines_)[index].c_str());
    headerList_[index].next = index + 1 < headerList_.size() ? &headerList_[index + 1] : nullptr;
  }
  configure();
  scheduler_.enqueue(*this);
  // Setting it up took moments, not a wait of its own: a transfer that had
  // a place at once was handed over as it was asked for.
  if (started_) handedOver_ = fetchStart_;
}

Transfer::~Transfer() {
  scheduler_.remove(*this);
  if (started_) curl_multi_remove_handle(scheduler_.multi(), handle_);
  curl_easy_cleanup(handle_);
  --liveHandles;
}

void Transfer::start() {
  started_ = true;
  handedOver_ = Date::now();
  curl_multi_add_handle(scheduler_.multi(), handle_);
}

void Transfer::protocolWaitEnded() {
  waitsForProtocol_ = false;
  lastActivity_ = Clock::now();
}

std::size_t Transfer::liveHandleCount() { return liveHandles.load(); }

Transfer* Transfer::of(CURL* handle) {
  char* self = nullptr;
  curl_easy_getinfo(handle, CURLINFO_PRIVATE, &self);
  return reinterpret_cast<Transfer*>(self);
}

void Transfer::setSharedOptions(CURL* handle) {
  setOption(handle, CURLOPT_NOSIGNAL, 1L);
  setOption(handle, CURLOPT_PROTOCOLS_STR, "http,https");
  // The path goes out as written, dot segments included.
  setOption(handle, CURLOPT_PATH_AS_IS, 1L);
  // Redirects are for the engine and its delegate to decide.
  setOption(handle, CURLOPT_FOLLOWLOCATION, 0L);
  // Connections go straight to the server, whatever the environment says.
  setOption(handle, CURLOPT_PROXY, "");
  // Every coding the decoder knows is offered; a request's own
  // Accept-Encoding field still goes out as written.
  setOption(handle, CURLOPT_ACCEPT_ENCODING, "gzip, deflate, br");
  setOption(handle, CURLOPT_HTTP_CONTENT_DECODING, 0L);
  setOption(handle, CURLOPT_BUFFERSIZE, bufferSize);
  setOption(handle, CURLOPT_UPLOAD_BUFFERSIZE, bufferSize);
  setOption(handle, CURLOPT_HEADERFUNCTION, &Transfer::onHeader);
  setOption(handle, CURLOPT_WRITEFUNCTION, &Transfer::onWrite);
  setOption(handle, CURLOPT_PREREQFUNCTION, &Transfer::onPrerequest);
  ServerTrustHook::setSharedOptions(handle);
}

void Transfer::configure() {
  setSharedOptions(handle_);
  setOption(handle_, CURLOPT_PRIVATE, this);
  setOption(handle_, CURLOPT_URL, request_.url()->absoluteString().c_str());
  setOption(handle_, CURLOPT_ERRORBUFFER, errorBuffer_);
  // HTTP/2 only where TLS negotiates it. A plain connection stays HTTP/1.1
  // whatever a response claims, so no two transfers ever share one.
  setOption(handle_, CURLOPT_HTTP_VERSION,
            static_cast<long>(secure_ ? CURL_HTTP_VERSION_2TLS : CURL_HTTP_VERSION_1_1));
  if (secure_) setOption(handle_, CURLOPT_BUFFERSIZE, http2BufferSize);
  setOption(handle_, CURLOPT_HTTPHEADER, headerList_.empty() ? nullptr : headerList_.data());
  setOption(handle_, CURLOPT_HEADERDATA, this);
  setOption(handle_, CURLOPT_WRITEDATA, this);
  setOption(handle_, CURLOPT_PREREQDATA, this);
  trustHook_.install(handle_, *request_.url(), [this](const URLProtectionSpace& space) {
    auto refusal = listener_.transferReceivedServerTrust(space, *request_.url());
    if (refusal) fail(refusal);
    return refusal;
  });
  configureMethodAndBody();
}

void Transfer::configureMethodAndBody() {
  const std::string method = request_.httpMethod().value_or("GET");
  if (body_) {
    setOption(handle_, CURLOPT_POST, 1L);
    // -1 sends the body in chunks.
    setOption(handle_, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body_->length().value_or(-1)));
    setOption(handle_, CURLOPT_READFUNCTION, &Transfer::onRead);
    setOption(handle_, CURLOPT_READDATA, this);
    setOption(handle_, CURLOPT_SEEKFUNCTION, &Transfer::onSeek);
    setOption(handle_, CURLOPT_SEEKDATA, this);
    if (method != "POST") setOption(handle_, CURLOPT_CUSTOMREQUEST, method.c_str());
  } else if (method == "HEAD") {
    setOption(handle_, CURLOPT_NOBODY, 1L);
  } else if (method == "POST") {
    setOption(handle_, CURLOPT_POSTFIELDS, "");
    setOption(handle_, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(0));
  } else {
    setOption(handle_, CURLOPT_CUSTOMREQUEST, method.c_str());
  }
}

std::int64_t Transfer::expectedBodyLength() const {
  if (!body_) return 0;
  return body_->length().value_or(-1);
}

const HTTPHeaderFields& Transfer::receivedFields() const {
  static const HTTPHeaderFields none;
  return response_ ? headerParser_.fields() : none;
}

bool Transfer::hasStreamBody() const { return body_ && !body_->length(); }

void Transfer::holdReceiving(bool hold) {
  receiveHeld_ = hold;
  if (!hold && backlogged_) deliverDecoded();
  applyPause();
}

void Transfer::setSuspended(bool suspended) {
  suspended_ = suspended;
  if (suspended) scheduler_.suspended(*this);
  if (!suspended) lastActivity_ = Clock::now();
  if (!suspended && std::exchange(responseHeld_, false)) presentResponse();
  applyPause();
}

void Transfer::bodyBytesAvailable() {
  if (!sendWaiting_) return;
  sendWaiting_ = false;
  applyPause();
}

// While paused the library keeps what it reads in one piece for each kind
// (the status line, the other head lines, the body, and the same for an
// interim head as kinds of their own) and fails the transfer past three
// kinds. A suspended transfer therefore reads heads on, each bounded by the
// parser, and stops receiving only once its final head is in, leaving the
// library a body and its trailers to keep.
void Transfer::applyPause() {
  const int receive = (suspended_ && response_) || receiveHeld_ ? CURLPAUSE_RECV : 0;
  const int send = suspended_ || sendWaiting_ ? CURLPAUSE_SEND : 0;
  curl_easy_pause(handle_, receive | send);
}

void Transfer::end(CURLcode result) {
  if (result == CURLE_OK && backlogged_) {
    waitingEnd_ = result;
    return;
  }
  if (result == CURLE_OK && callbackError_) result = CURLE_WRITE_ERROR;
  if (result == CURLE_OK && decoder_ && !decoder_->isComplete()) {
    fail(makeError(URLError(URLError::Code::cannotDecodeContentData, request_.url())));
    result = CURLE_BAD_CONTENT_ENCODING;
  }
  listener_.transferEnded(result);
}

bool Transfer::endIsDue() const { return !backlogged_ && (waitingEnd_ || (callbackError_ && response_)); }

void Transfer::endNow() { end(waitingEnd_.value_or(CURLE_WRITE_ERROR)); }

void Transfer::fail(AnyError error) {
  if (!callbackError_) callbackError_ = std::move(error);
}

AnyError Transfer::failure(CURLcode result) const {
  if (callbackError_) return callbackError_;
  if (result == CURLE_OUT_OF_MEMORY && !response_) {
    return makeOversizedHeadError(infoLong(handle_, CURLINFO_REQUEST_SIZE) > 0, request_.url());
  }
  // Over HTTP/2 the library reads the response's head itself and gives up
  // the whole connection when it cannot, saying only that no reply came: a
  // field too large for its decoder, or a head that is no valid HTTP/2.
  if (result == CURLE_GOT_NOTHING && !response_ && overHTTP2_) {
    return makeError(URLError(URLError::Code::cannotParseResponse, request_.url(),
                              makeError(CurlError(result, errorBuffer_, 0))));
  }
  return makeTransferError(result, static_cast<int>(infoLong(handle_, CURLINFO_OS_ERRNO)), errorBuffer_,
                           request_.url());
}

// What proves a request was never processed: the server refused its
// stream, or a GOAWAY named a last stream below it, which refuses it too.
// The library sends a refused request again by itself, but only a few times
// before it gives up, with a send or a receive error. A refusal that leaves
// its connection with no stream at all it reports as an HTTP/2 error
// instead, without a message, just as it reports a head it refused after
// the server took the request: only the GOAWAY tells them apart. A refusal
// leaves no message, while a try that may have had its request taken (its
// stream reset, its connection closed or reset under it) leaves one of its
// own, which stays when the library tries anew: a send or receive error
// alone tells nothing.
bool Transfer::neverProcessed(CURLcode result) const {
  if (!overHTTP2_ || response_ || infoLong(handle_, CURLINFO_HEADER_SIZE) != 0) return false;
  if (result == CURLE_HTTP2) return errorBuffer_[0] == '\0' && goAwayWatch_.refusedByGoAway();
  return gaveUpResending(result);
}

// The library tells that it gave up only in its message, and keeps a
// message only when it is the transfer's first: a try that failed
// otherwise, its request perhaps taken, leaves its own.
bool Transfer::gaveUpResending(CURLcode result) const {
  return (result == CURLE_SEND_ERROR || result == CURLE_RECV_ERROR) &&
         std::string_view(errorBuffer_).starts_with("Connection died, tried ");
}

URLSessionTaskTransactionMetrics Transfer::transactionMetrics(bool responseComplete) const {
  URLSessionTaskTransactionMetrics transaction;
  transaction.request = request_;
  transaction.response = response_;
  transaction.resourceFetchType = URLSessionTaskTransactionMetrics::ResourceFetchType::networkLoad;

  HopTimings timings;
  timings.fetchStart = fetchStart_;
  timings.handedOver = handedOver_;
  timings.nameLookup = infoMicroseconds(handle_, CURLINFO_NAMELOOKUP_TIME_T);
  timings.connect = infoMicroseconds(handle_, CURLINFO_CONNECT_TIME_T);
  timings.secureConnect = infoMicroseconds(handle_, CURLINFO_APPCONNECT_TIME_T);
  timings.preTransfer = infoMicroseconds(handle_, CURLINFO_PRETRANSFER_TIME_T);
  timings.total = infoMicroseconds(handle_, CURLINFO_TOTAL_TIME_T);
  timings.requestEnd = requestEnd_;
  if (response_) timings.responseStart = responseStart_;
  timings.hostIsAddress = isIPAddress(request_.url()->host().value_or(""));
  timings.secure = secure_;
  timings.responseComplete = responseComplete;
  transaction.isReusedConnection = infoLong(handle_, CURLINFO_NUM_CONNECTS) == 0 && timings.preTransfer > 0;
  timings.newConnection = !transaction.isReusedConnection;
  applyHopTimings(timings, transaction);

  if (response_) transaction.networkProtocolName = networkProtocolName(infoLong(handle_, CURLINFO_HTTP_VERSION));
  transaction.countOfRequestHeaderBytesSent = infoLong(handle_, CURLINFO_REQUEST_SIZE);
  transaction.countOfRequestBodyBytesSent = infoOffset(handle_, CURLINFO_SIZE_UPLOAD_T);
  transaction.countOfRequestBodyBytesBeforeEncoding = bodyBytesHanded_;
  transaction.countOfResponseHeaderBytesReceived = infoLong(handle_, CURLINFO_HEADER_SIZE);
  transaction.countOfResponseBodyBytesReceived = infoOffset(handle_, CURLINFO_SIZE_DOWNLOAD_T);
  transaction.countOfResponseBodyBytesAfterDecoding = bodyBytesDecoded_;
  return transaction;
}

std::size_t Transfer::onHeader(char* bytes, std::size_t size, std::size_t count, void* self) {
  return static_cast<Transfer*>(self)->receiveHeaderLines(std::string_view(bytes, size * count));
}

std::size_t Transfer::onWrite(char* bytes, std::size_t size, std::size_t count, void* self) {
  return static_cast<Transfer*>(self)->receiveBody(bytes, size * count);
}

std::size_t Transfer::onRead(char* buffer, std::size_t size, std::size_t count, void* self) {
  return static_cast<Transfer*>(self)->sendBody(buffer, size * count);
}

int Transfer::onSeek(void* self, curl_off_t offset, int origin) {
  auto& transfer = *static_cast<Transfer*>(self);
  if (origin != SEEK_SET || offset != 0 || !transfer.body_->rewind()) return CURL_SEEKFUNC_CANTSEEK;
  transfer.bodyBytesHanded_ = 0;
  transfer.requestEnd_.reset();
  transfer.responseStart_.reset();
  return CURL_SEEKFUNC_OK;
}

int Transfer::onPrerequest(void* self, char*, char*, int, int) {
  auto& transfer = *static_cast<Transfer*>(self);
  transfer.lastActivity_ = Clock::now();
  // The library starts every request unpaused: a suspension that came
  // before it had a connection is applied now, before any body byte is sent.
  if (transfer.suspended_) transfer.applyPause();
  // Without a body the request is complete once its head goes out.
  if (!transfer.body_) transfer.requestEnd_ = Date::now();
  transfer.overHTTP2_ = transfer.secure_ && transfer.negotiatedHTTP2();
  // The connection is up: transfers that waited to learn whether they can
  // share it go on.
  if (transfer.secure_) {
    if (transfer.overHTTP2_) {
      transfer.scheduler_.originMultiplexes(transfer.origin_);
    } else {
      transfer.scheduler_.originDoesNotMultiplex(transfer.origin_);
    }
  }
  // Every try passes here, the library's own ones too, and one stopped here
  // sends nothing.
  if (!transfer.listener_.transferMaySend()) {
    transfer.outOfSends_ = true;
    return CURL_PREREQFUNC_ABORT;
  }
  if (transfer.overHTTP2_) transfer.goAwayWatch_.watch(transfer.handle_);
  return CURL_PREREQFUNC_OK;
}

// The library hands the head over a line at a time, but what it kept while
// the transfer was paused it hands over in one piece for each kind: the
// status line, then every other line (trailers too), then the body.
std::size_t Transfer::receiveHeaderLines(std::string_view lines) {
  for (std::size_t start = 0; start < lines.size();) {
    const auto end = std::min(lines.find('\n', start), lines.size() - 1) + 1;
    if (receiveHeaderLine(lines.substr(start, end - start)) == 0) return 0;
    start = end;
  }
  return lines.size();
}

std::size_t Transfer::receiveHeaderLine(std::string_view line) {
  lastActivity_ = Clock::now();
  // Lines after the final block are trailers.
  if (response_) return line.size();
  if (!responseStart_) responseStart_ = Date::now();
  switch (headerParser_.feed(line)) {
    case ResponseHeaderParser::Outcome::needMore:
      // An interim block ended: the response proper starts with the next line.
      if (isBlankLine(line)) responseStart_.reset();
      return line.size();
    case ResponseHeaderParser::Outcome::complete:
      if (!acceptsResponse()) return 0;
      response_ = HTTPURLResponse::make(*request_.url(), headerParser_.statusCode(), headerParser_.fields());
      decoder_ = std::make_unique<ContentDecoder>(contentEncoding(headerParser_.fields()));
      // The listener hears of nothing while the transfer is suspended.
      if (suspended_) {
        responseHeld_ = true;
        applyPause();
        return line.size();
      }
      return presentResponse() ? line.size() : 0;
    case ResponseHeaderParser::Outcome::tooLarge:
      fail(makeError(URLError(URLError::Code::cannotParseResponse, request_.url())));
      return 0;
    case ResponseHeaderParser::Outcome::endInDoubt: refuseResponse(URLError::Code::cannotParseResponse); return 0;
    case ResponseHeaderParser::Outcome::malformed: refuseResponse(URLError::Code::badServerResponse); return 0;
  }
  return 0;
}

// A 101 nobody asked for would leave the connection speaking something
// else; a status line claiming HTTP/2 or later on a connection that did not
// negotiate it would make the library share the connection between
// transfers, each reading the others' responses.
bool Transfer::acceptsResponse() {
  const auto& version = headerParser_.httpVersion();
  const bool http1 = version == "1.0" || version == "1.1";
  const bool unrequestedSwitch = headerParser_.statusCode() == 101 && !asksToUpgrade_;
  const bool multiplexed = version == "2" && negotiatedHTTP2();
  if (unrequestedSwitch || !(http1 || multiplexed)) {
    refuseResponse(URLError::Code::badServerResponse);
    return false;
  }
  return true;
}

bool Transfer::negotiatedHTTP2() const {
  curl_tlssessioninfo* session = nullptr;
  curl_easy_getinfo(handle_, CURLINFO_TLS_SSL_PTR, &session);
  if (session == nullptr || session->backend != CURLSSLBACKEND_OPENSSL || session->internals == nullptr) return false;
  const unsigned char* protocol = nullptr;
  unsigned int length = 0;
  SSL_get0_alpn_selected(static_cast<SSL*>(session->internals), &protocol, &length);
  return std::string_view(reinterpret_cast<const char*>(protocol), protocol ? length : 0) == "h2";
}

// The connection a refused response came on is not to be trusted with
// another request.
void Transfer::refuseResponse(URLError::Code code) {
  setOption(handle_, CURLOPT_FORBID_REUSE, 1L);
  fail(makeError(URLError(code, request_.url())));
}

std::size_t Transfer::receiveBody(const char* bytes, std::size_t count) {
  // Until what was decoded has been taken, or the held response told, the
  // library keeps what comes.
  if (backlogged_ || responseHeld_) return CURL_WRITEFUNC_PAUSE;
  lastActivity_ = Clock::now();
  // Body bytes wait for their head, and without one they are never a body.
  // Only a head the library ended where the parser did not leaves any: no
  // more than a head's worth is kept for it.
  if (!decoder_) {
    if (bodyBeforeHead_.size() + count > ResponseHeaderParser::maximumBlockSize) {
      refuseResponse(URLError::Code::cannotParseResponse);
      return 0;
    }
    bodyBeforeHead_.append(bytes, count);
    return count;
  }
  decoder_->feed(std::string_view(bytes, count));
  return deliverDecoded() ? count : 0;
}

bool Transfer::presentResponse() {
  listener_.transferReceivedResponse(response_);
  return deliverBodyBeforeHead();
}

bool Transfer::deliverBodyBeforeHead() {
  if (bodyBeforeHead_.empty()) return true;
  decoder_->feed(std::exchange(bodyBeforeHead_, std::string()));
  return deliverDecoded();
}

bool Transfer::deliverDecoded() {
  while (true) {
    std::string_view piece = heldPiece_;
    if (piece.empty()) {
      piece = decoder_->next();
      if (decoder_->failed()) {
        backlogged_ = false;
        fail(makeError(URLError(URLError::Code::cannotDecodeContentData, request_.url())));
        return false;
      }
      if (piece.empty()) {
        backlogged_ = false;
        return true;
      }
    }
    if (!listener_.transferReceivedBody(piece.data(), piece.size())) {
      if (heldPiece_.empty()) heldPiece_.assign(piece);
      backlogged_ = true;
      receiveHeld_ = true;
      return true;
    }
    bodyBytesDecoded_ += static_cast<std::int64_t>(piece.size());
    heldPiece_.clear();
  }
}

std::size_t Transfer::sendBody(char* buffer, std::size_t capacity) {
  const auto result = body_->read(reinterpret_cast<std::uint8_t*>(buffer), capacity);
  switch (result.status) {
    case BodySource::Status::bytes:
      bodyBytesHanded_ += static_cast<std::int64_t>(result.count);
      lastActivity_ = Clock::now();
      // A body of known length is never asked for its end.
      if (bodyBytesHanded_ == body_->length()) requestEnd_ = Date::now();
      listener_.transferSentBody(result.count);
      return result.count;
    case BodySource::Status::end:
      if (!requestEnd_) requestEnd_ = Date::now();
      return 0;
    case BodySource::Status::wouldBlock: sendWaiting_ = true; return CURL_READFUNC_PAUSE;
    case BodySource::Status::failed: fail(body_->error()); return CURL_READFUNC_ABORT;
  }
  return CURL_READFUNC_ABORT;
}

}  // namespace platform
