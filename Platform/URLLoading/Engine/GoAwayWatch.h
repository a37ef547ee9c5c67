#pragma once

#include <curl/curl.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

namespace platform {

// A request on a stream above the last one an HTTP/2 GOAWAY names was never
// processed, yet the transfer library does not always say so: when the
// refusal leaves its connection with no stream at all, it ends the transfer
// with the same HTTP/2 error and empty message as a head it refused itself,
// for a request the server took. Which stream a try used and which last
// stream a GOAWAY names, it tells only in its verbose messages; this reads
// them for one transfer. What a GOAWAY named stays with its connection's
// TLS object, and goes with it, so that every transfer on the connection
// learns of it, whichever transfer read it, and a connection made later
// never inherits it.
class GoAwayWatch {
 public:
  // What the connection's GOAWAY named, kept with its TLS object.
  struct Connection;

  // A try goes out on the handle's HTTP/2 connection: the messages of the
  // rest of the try are read, from nothing known about it.
  void watch(CURL* handle);
  // The last try's stream lies above the last stream a GOAWAY on its
  // connection named.
  bool refusedByGoAway() const;

 private:
  static int onDebug(CURL* handle, curl_infotype type, char* text, std::size_t size, void* self);
  static std::shared_ptr<Connection> connectionOf(CURL* handle);
  void read(CURL* handle, std::string_view message);

  std::uint32_t stream_ = 0;
  std::shared_ptr<const Connection> connection_;
};

}  // namespace platform
