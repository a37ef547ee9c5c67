#pragma once

#include <curl/curl.h>

#include <chrono>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Platform/Foundation/Error.h"
#include "Platform/Foundation/HTTPURLResponse.h"
#include "Platform/Foundation/URLError.h"
#include "Platform/Foundation/URLRequest.h"
#include "Platform/URLLoading/Engine/BodySource.h"
#include "Platform/URLLoading/Engine/ContentDecoder.h"
#include "Platform/URLLoading/Engine/GoAwayWatch.h"
#include "Platform/URLLoading/Engine/HopTimings.h"
#include "Platform/URLLoading/Engine/ResponseHeaderParser.h"
#include "Platform/URLLoading/Engine/ServerTrustHook.h"
#include "Platform/URLLoading/URLSessionTaskTransactionMetrics.h"

namespace platform {

class TransferScheduler;

// Who hears what a transfer reads and writes, on the engine thread, from
// inside the transfer library's callbacks.
class TransferListener {
 public:
  virtual ~TransferListener() = default;
  // The final response's header block has been read.
  virtual void transferReceivedResponse(const std::shared_ptr<HTTPURLResponse>& response) = 0;
  // Decoded body bytes. False holds them back: the transfer stops
  // receiving until `holdReceiving(false)` hands them over again.
  virtual bool transferReceivedBody(const char* bytes, std::size_t count) = 0;
  // Request body bytes handed to the library.
  virtual void transferSentBody(std::size_t count) = 0;
  // The library is done with the transfer, well or not.
  virtual void transferEnded(CURLcode result) = 0;
  // A try of the request is about to go out, the library's own tries
  // included: false stops it before any of it is sent, and the transfer
  // ends as having been sent too often. A listener that counts nothing
  // lets every try go.
  virtual bool transferMaySend();
  // The server of a new TLS connection for `url` presented the trust
  // `space` carries: null goes on with it, an error refuses it and ends
  // the transfer with that error. Judged as the system would unless a
  // listener knows better.
  virtual AnyError transferReceivedServerTrust(const URLProtectionSpace& space, const URL& url);
};

// One request-response exchange on the transfer library's multi handle:
// one hop of a task. Redirects are the engine's to follow, so the library
// never follows them itself. The body's content coding is undone here, not
// by the library, so decoded bytes the listener holds back never pile up
// inside it and a compressed stream cut short is caught. The scheduler puts
// it on the multi handle when its origin has a place for it. Leaving the
// multi handle and freeing the easy handle happen when the transfer goes
// away.
class Transfer {
 public:
  using Clock = std::chrono::steady_clock;

  using HeaderLines = std::shared_ptr<const std::vector<std::string>>;

  // `headerLines` as requestHeaderLines made them, shared with whoever may
  // send the hop again; `body` absent for a request without one. The
  // request must have a URL.
  Transfer(TransferListener& listener, TransferScheduler& scheduler, URLRequest request, HeaderLines headerLines,
           std::unique_ptr<BodySource> body);
  ~Transfer();
  Transfer(const Transfer&) = delete;
  Transfer& operator=(const Transfer&) = delete;

  // The transfer behind a handle the multi handle reports on.
  static Transfer* of(CURL* handle);

  TransferListener& listener() const { return listener_; }
  // "scheme://host:port", lowercased: whose connections the transfer uses.
  const std::string& origin() const { return origin_; }
  // For the scheduler: the transfer goes onto the multi handle.
  void start();
  bool started() const { return started_; }
  // Its connection may turn out to be one that many transfers share.
  bool mayMultiplex() const { return secure_; }
  // For the scheduler: the transfer waits for another's first connection
  // to tell its origin's protocol. That wait is not the transfer's own
  // idleness: its idle time counts again from when the wait ends, which is
  // when that connection tells, when the other transfer goes or is
  // suspended, or at the latest when the transfer's own idle time-out on
  // the steady clock has passed (see TransferScheduler).
  void waitForProtocol() { waitsForProtocol_ = true; }
  void protocolWaitEnded();
  bool waitsForProtocol() const { return waitsForProtocol_; }
  const URLRequest& request() const { return request_; }
  // The response's fields as received, a repeated field once per line (as
  // Set-Cookie and WWW-Authenticate must be read); empty before the
  // response.
  const HTTPHeaderFields& receivedFields() const;
  // When bytes last moved, or the hop started.
  Clock::time_point lastActivity() const { return lastActivity_; }
  // The body size, or -1 for a stream; 0 without a body.
  std::int64_t expectedBodyLength() const;
  bool hasStreamBody() const;

  // Pausing never loses bytes: held bytes are handed over when the
  // transfer goes on.
  void holdReceiving(bool hold);
  // The library is done with the transfer: the listener hears of it now,
  // or, when decoded bytes are still held back, once they have all been
  // taken (see `endIsDue`).
  void end(CURLcode result);
  // Receiving went on after the library had ended, and the end can be
  // told now with `endNow`, out of every callback of the library.
  bool endIsDue() const;
  void endNow();
  // Holds until the transfer goes on, though asked before the library has
  // a connection for it. The response's head is still read meanwhile, and
  // told once the transfer goes on; the end may then be due as after
  // `holdReceiving`.
  void setSuspended(bool suspended);
  // The body source has bytes again after it answered wouldBlock.
  void bodyBytesAvailable();

  // The error the hop failed with, given the library's result.
  AnyError failure(CURLcode result) const;
  // The hop failed in a way that tells the server never processed its
  // request, so that it can go again unchanged.
  bool neverProcessed(CURLcode result) const;
  // The listener stopped a try of the request before it went out.
  bool outOfSends() const { return outOfSends_; }
  // What the hop measured; `responseComplete` when it ended successfully.
  URLSessionTaskTransactionMetrics transactionMetrics(bool responseComplete) const;

  // Easy handles transfers hold in the process, for leak checks.
  static std::size_t liveHandleCount();

 private:
  static std::size_t onHeader(char* bytes, std::size_t size, std::size_t count, void* self);
  static std::size_t onWrite(char* bytes, std::size_t size, std::size_t count, void* self);
  static std::size_t onRead(char* buffer, std::size_t size, std::size_t count, void* self);
  static int onSeek(void* self, curl_off_t offset, int origin);
  static int onPrerequest(void* self, char*, char*, int, int);

  std::size_t receiveHeaderLines(std::string_view lines);
  std::size_t receiveHeaderLine(std::string_view line);
  std::size_t receiveBody(const char* bytes, std::size_t count);
  // Tells the listener of the response, then hands over the body bytes
  // that came before it; false when they cannot be decoded.
  bool presentResponse();
  // False when the body cannot be decoded.
  bool deliverBodyBeforeHead();
  // Hands decoded bytes to the listener until it holds them back or the
  // decoder has no more; false when the body cannot be decoded.
  bool deliverDecoded();
  // The final response's block is one the engine can go on with.
  bool acceptsResponse();
  bool negotiatedHTTP2() const;
  // The library ended the hop after trying to send the request anew as
  // often as it does.
  bool gaveUpResending(CURLcode result) const;
  void refuseResponse(URLError::Code code);
  std::size_t sendBody(char* buffer, std::size_t capacity);
  // The options every transfer sets alike.
  static void setSharedOptions(CURL* handle);
  void configure();
  void configureMethodAndBody();
  void applyPause();
  void fail(AnyError error);

  TransferListener& listener_;
  TransferScheduler& scheduler_;
  CURL* handle_;
  const HeaderLines headerLines_;
  // The library's list of the lines, made of nodes of our own that point
  // into them, so that no line is copied again.
  std::vector<curl_slist> headerList_;
  URLRequest request_;
  const std::string origin_;
  const bool secure_;
  bool started_ = false;
  bool waitsForProtocol_ = false;
  // Whether the last connection the library used speaks HTTP/2.
  bool overHTTP2_ = false;
  std::unique_ptr<BodySource> body_;
  const bool asksToUpgrade_;
  ResponseHeaderParser headerParser_;
  std::unique_ptr<ContentDecoder> decoder_;
  // Body bytes handed over before the head they follow was complete.
  std::string bodyBeforeHead_;
  // Decoded bytes the listener held back, the rest still in the decoder.
  std::string heldPiece_;
  bool backlogged_ = false;
  std::optional<CURLcode> waitingEnd_;
  bool outOfSends_ = false;
  GoAwayWatch goAwayWatch_;
  // The final head came while the transfer was suspended: the listener
  // hears of it once the transfer goes on.
  bool responseHeld_ = false;
  bool receiveHeld_ = false;
  bool sendWaiting_ = false;
  bool suspended_ = false;
  std::int64_t bodyBytesHanded_ = 0;
  std::int64_t bodyBytesDecoded_ = 0;
  std::shared_ptr<HTTPURLResponse> response_;
  Date fetchStart_;
  // When the library was given the transfer, which its own times count
  // from: later than the fetch start for a transfer that waited its turn.
  std::optional<Date> handedOver_;
  std::optional<Date> requestEnd_;
  // The first line of the response block being read arrived.
  std::optional<Date> responseStart_;
  Clock::time_point lastActivity_;
  AnyError callbackError_;
  char errorBuffer_[CURL_ERROR_SIZE] = {};
  ServerTrustHook trustHook_;
};

}  // namespace platform
