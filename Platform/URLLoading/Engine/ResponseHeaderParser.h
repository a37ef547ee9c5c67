#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "Platform/Foundation/HTTPHeaderFields.h"

namespace platform {

// Reads a response's header block line by line, as the transfer library
// hands the lines over: the status line, the fields (folded lines joined to
// the field before), the empty line. Interim 1xx blocks are read and
// dropped. A block larger than `maximumBlockSize` is refused, so a server
// cannot make the client hold an unbounded header. The block ends where the
// library ends it, at the first line that starts with a line break byte.
class ResponseHeaderParser {
 public:
  static constexpr std::size_t maximumBlockSize = 100 * 1024;

  enum class Outcome {
    // The line was taken; the block goes on.
    needMore,
    // A final response's block ended with this line.
    complete,
    // The block grew past the limit.
    tooLarge,
    // The line that ends the block starts with a carriage return but is no
    // empty line. Read with that CR as a space it would be a folded field:
    // the library takes the bytes after it for the body, another reader for
    // more of the head, so there is no telling where the body starts.
    endInDoubt,
    // The block did not start with an HTTP status line, or its framing
    // contradicts itself (Content-Length values that differ or are no
    // number).
    malformed,
  };

  // One line including its line break.
  Outcome feed(std::string_view line);

  // Valid once `feed` answered complete.
  int statusCode() const { return statusCode_; }
  // The status line's version, as "1.1" or "2".
  const std::string& httpVersion() const { return httpVersion_; }
  // The fields in the order received, a repeated name once per line.
  const HTTPHeaderFields& fields() const { return fields_; }

 private:
  void startBlock();
  bool readStatusLine(std::string_view line);
  void readFieldLine(std::string_view line);
  bool hasConsistentContentLength() const;

  std::size_t blockSize_ = 0;
  bool inBlock_ = false;
  int statusCode_ = 0;
  std::string httpVersion_;
  HTTPHeaderFields fields_;
};

}  // namespace platform
