#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace testservers {

struct ScriptedHTTP2ServerState;

// An HTTP/2 server over TLS inside the test process, on a free loopback
// port, with the valid server certificate of TLSCertificates::shared():
// for servers that bend the protocol's rules as far as they allow. Every
// answer is 200 with the same body. Each connection has its own thread.
class ScriptedHTTP2Server {
 public:
  enum class Streams {
    // Every request is answered.
    answerAll,
    // The first request of a connection is answered; then a GOAWAY names
    // its stream as the last one processed and the connection closes.
    answerOneThenGoAway,
    // The first request of a connection is taken but never answered: a
    // GOAWAY names its stream as the last one processed and the connection
    // closes.
    dropOneThenGoAway,
    // The first request of a connection is answered; then a GOAWAY names
    // its stream as the last one processed, and the server reads on,
    // processing nothing more, until the client closes: a graceful
    // shutdown.
    answerOneThenGoAwayAndReadOn,
    // The first connection refuses its first request with a stream reset
    // that tells it was not processed; every later one takes its first
    // request, then is reset without answering it: a server that fails
    // under a request it took.
    refuseOneThenTakeAndReset,
    // Every request is refused with a stream reset that tells it was not
    // processed.
    refuseAll,
    // The first request of a connection comes whole, then a GOAWAY names
    // no stream as processed and the connection closes: every request is
    // refused, after the server read it.
    refuseAllByGoAway,
  };

  // What the head of every answer is like.
  enum class Head {
    valid,
    // Heads the client's HTTP/2 layer refuses.
    upperCaseName,
    connectionField,
    transferEncodingField,
    nonNumericStatus,
  };

  struct Script {
    Streams streams = Streams::answerAll;
    // All the server has to send at a time goes out in one write, as
    // servers that gather their output do: an answer's frames share TLS
    // records. Otherwise each frame is a write of its own.
    bool coalesced = false;
    // Answers carry no content-length: only the end of their stream tells
    // that the body is complete.
    bool withoutLength = false;
    // The length of the value of an "x-large" field every answer carries;
    // none when 0.
    std::size_t largeFieldSize = 0;
    // "ok" when 0; else this many bytes of numbered lines, so that a byte
    // out of place shows.
    std::size_t bodySize = 0;
    // Interim heads that go before every answer's own, by status ("103"),
    // each with a link field.
    std::vector<std::string> interimStatuses = {};
    // Answers wait until this many requests of a connection have come, then
    // go out together, the latest first: the client reads one stream's
    // answer while it reads another's.
    std::size_t answersTogether = 1;
    Head head = Head::valid;
  };

  explicit ScriptedHTTP2Server(Script script);
  // Closes every connection and waits for their threads.
  ~ScriptedHTTP2Server();
  ScriptedHTTP2Server(const ScriptedHTTP2Server&) = delete;
  ScriptedHTTP2Server& operator=(const ScriptedHTTP2Server&) = delete;

  // "https://127.0.0.1:<port>", without a trailing slash.
  std::string baseURL() const;
  // The body of every answer.
  const std::string& body() const;
  std::size_t connectionCount() const;
  // Requests whose end came, whatever the server made of them.
  std::size_t receivedRequestCount() const;
  // Requests the server took as processed: every one it answered, and the
  // one it dropped under a GOAWAY that names it.
  std::size_t processedRequestCount() const;

 private:
  std::shared_ptr<ScriptedHTTP2ServerState> state_;
};

}  // namespace testservers
