#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Undoes a response's Content-Encoding (gzip, deflate, br, or a list of
// them) as the body arrives, handing decoded bytes out a bounded piece at
// a time: a small compressed body that expands enormously is never
// expanded all at once, and what the reader is not ready for waits here
// still compressed.
//
// A body whose compressed stream stopped before its end is not complete,
// however well the transfer's own framing ended.
class ContentDecoder {
 public:
  static constexpr std::size_t pieceSize = 64 * 1024;

  // `contentEncoding` as the field's lines joined with commas; empty or
  // "identity" passes bytes through.
  explicit ContentDecoder(std::string_view contentEncoding);
  ~ContentDecoder();
  ContentDecoder(const ContentDecoder&) = delete;
  ContentDecoder& operator=(const ContentDecoder&) = delete;

  // Body bytes as received; they are decoded as `next` asks for them.
  void feed(std::string_view bytes);
  // Up to `pieceSize` decoded bytes, valid until the next call; empty once
  // what was fed gives nothing more, or when the stream is corrupt or of
  // an unknown coding, which `failed()` then tells.
  std::string_view next();
  bool failed() const { return failed_; }
  // True when nothing was fed, or every compressed stream reached its end.
  bool isComplete() const;

  class Stage;

 private:
  std::string_view pull(std::size_t stage);

  std::vector<std::unique_ptr<Stage>> stages_;
  bool failed_ = false;
  bool fed_ = false;
};

}  // namespace platform
