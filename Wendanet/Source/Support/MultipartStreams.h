#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "Platform/Foundation/Data.h"
#include "Platform/Streams/InputStream.h"
#include "Platform/Streams/OutputStream.h"

namespace wendanet {

// Moving a multipart body's bytes between streams. Every failure is thrown
// as WNError multipartEncodingFailed: inputStreamReadFailed for the source,
// outputStreamWriteFailed for the destination.

// Opens a stream for the length of a scope and closes it on every way out.
class OpenedStream {
 public:
  explicit OpenedStream(platform::Stream& stream) : stream_(stream) { stream_.open(); }
  ~OpenedStream() { stream_.close(); }
  OpenedStream(const OpenedStream&) = delete;
  OpenedStream& operator=(const OpenedStream&) = delete;

 private:
  platform::Stream& stream_;
};

// Everything the stream gives, read to its end in pieces of at most
// `bufferSize` bytes. A count other than `declaredLength` fails with an
// UnexpectedInputStreamLength.
platform::Data readBodyStream(platform::InputStream& stream, std::uint64_t declaredLength, std::size_t bufferSize);

// Copies `declaredLength` bytes in pieces of at most `bufferSize` bytes,
// each written before the next is read; bytes past the declared length are
// left unread. A stream that ends early fails with an
// UnexpectedInputStreamLength after writing what it gave.
void copyBodyStream(platform::InputStream& stream, std::uint64_t declaredLength, platform::OutputStream& output,
                    std::size_t bufferSize);

// Writes every byte. A write that moves nothing ends with a failure: the
// stream's own error, else OutputStreamStalled.
void writeAllBytes(platform::OutputStream& output, std::span<const std::uint8_t> bytes);

}  // namespace wendanet
