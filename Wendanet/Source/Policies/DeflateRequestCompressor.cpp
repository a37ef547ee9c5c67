#include "Wendanet/Source/Policies/DeflateRequestCompressor.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>

#include "Wendanet/Source/Core/HTTPHeaders.h"

namespace wendanet {

namespace {

constexpr std::string_view contentEncoding = "Content-Encoding";

// zlib counts in 32-bit units; larger bodies go through in slices.
constexpr std::size_t maximumSlice = std::numeric_limits<uInt>::max();

// Raw DEFLATE (no zlib header or trailer) at the default level.
platform::Data rawDeflate(const platform::Data& body) {
  z_stream stream{};
  if (const int status = deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
      status != Z_OK) {
    throw DeflateRequestCompressor::CompressionError(status, stream.msg ? stream.msg : "deflateInit2 failed");
  }
  platform::Data output;
  std::array<std::uint8_t, 64 * 1024> chunk{};
  std::size_t consumed = 0;
  int status = Z_OK;
  do {
    const std::size_t slice = std::min(body.size() - consumed, maximumSlice);
    stream.next_in = const_cast<Bytef*>(body.bytes() + consumed);
    stream.avail_in = static_cast<uInt>(slice);
    consumed += slice;
    const int flush = consumed == body.size() ? Z_FINISH : Z_NO_FLUSH;
    do {
      stream.next_out = chunk.data();
      stream.avail_out = static_cast<uInt>(chunk.size());
      status = deflate(&stream, flush);
      if (status == Z_STREAM_ERROR) {
        deflateEnd(&stream);
        throw DeflateRequestCompressor::CompressionError(status, "deflate failed");
      }
      output.append(chunk.data(), chunk.size() - stream.avail_out);
    } while (stream.avail_out == 0);
  } while (status != Z_STREAM_END);
  deflateEnd(&stream);
  return output;
}

}  // namespace

std::string DeflateRequestCompressor::CompressionError::description() const {
  return "CompressionError(" + std::to_string(code_) + "): " + message_;
}

DeflateRequestCompressor::DeflateRequestCompressor(DuplicateHeaderBehavior duplicateHeaderBehavior,
                                                   BodyPredicate shouldCompressBodyData)
    : duplicateHeaderBehavior_(duplicateHeaderBehavior), shouldCompressBodyData_(std::move(shouldCompressBodyData)) {}

std::shared_ptr<DeflateRequestCompressor> DeflateRequestCompressor::make(DuplicateHeaderBehavior duplicateHeaderBehavior,
                                                                         BodyPredicate shouldCompressBodyData) {
  return std::make_shared<DeflateRequestCompressor>(duplicateHeaderBehavior, std::move(shouldCompressBodyData));
}

void DeflateRequestCompressor::adapt(const platform::URLRequest& urlRequest, const std::shared_ptr<Session>&,
                                     AdaptCompletion completion) {
  const auto& body = urlRequest.httpBody();
  if (!body || !shouldCompressBodyData_(*body)) return completion(urlRequest);
  if (getHeaders(urlRequest).findIndex(contentEncoding)) {
    switch (duplicateHeaderBehavior_) {
      case DuplicateHeaderBehavior::error:
        return completion(std::unexpected(platform::makeError(DuplicateHeaderError())));
      case DuplicateHeaderBehavior::skip:
        return completion(urlRequest);
      case DuplicateHeaderBehavior::replace:
        break;
    }
  }
  platform::Data compressed;
  try {
    compressed = deflateBody(*body);
  } catch (const platform::Error& error) {
    return completion(std::unexpected(error.clone()));
  }
  platform::URLRequest compressedRequest = urlRequest;
  compressedRequest.setHTTPBody(std::move(compressed));
  HTTPHeaders headers = getHeaders(compressedRequest);
  headers.update(std::string(contentEncoding), "deflate");
  setHeaders(compressedRequest, headers);
  completion(std::move(compressedRequest));
}

platform::Data DeflateRequestCompressor::deflateBody(const platform::Data& body) {
  platform::Data output;
  const std::uint8_t header[] = {0x78, 0x5E};
  output.append(header, sizeof header);
  output.append(rawDeflate(body));
  const auto checksum = static_cast<std::uint32_t>(adler32_z(adler32_z(0, nullptr, 0), body.bytes(), body.size()));
  const std::uint8_t trailer[] = {static_cast<std::uint8_t>(checksum >> 24), static_cast<std::uint8_t>(checksum >> 16),
                                  static_cast<std::uint8_t>(checksum >> 8), static_cast<std::uint8_t>(checksum)};
  output.append(trailer, sizeof trailer);
  return output;
}

}  // namespace wendanet
