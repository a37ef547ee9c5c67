#pragma once

#include <cstddef>
#include <cstdint>
#include <expected>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Platform/Files/FileManager.h"
#include "Platform/Foundation/Data.h"
#include "Platform/Foundation/URL.h"
#include "Platform/Streams/InputStream.h"
#include "Platform/Streams/OutputStream.h"
#include "Wendanet/Source/Core/HTTPHeaders.h"
#include "Wendanet/Source/Core/WNError.h"

namespace wendanet {

// A "multipart/form-data" body built from an ordered list of parts: bytes
// in memory, files on disk or streams of declared length, each with its own
// header block. Appending never fails to the caller: the first problem is
// recorded, the part left out, and the problem thrown by the next `encode`
// or `writeEncodedData`. Used from one thread at a time.
class MultipartFormData {
 public:
  // One part: its headers and the source of its body. The encoders mark
  // the parts that open and close the body.
  class BodyPart {
   public:
    static std::shared_ptr<BodyPart> make(HTTPHeaders headers, std::shared_ptr<platform::InputStream> bodyStream,
                                          std::uint64_t bodyContentLength);

    HTTPHeaders headers;
    std::shared_ptr<platform::InputStream> bodyStream;
    std::uint64_t bodyContentLength;
    bool hasInitialBoundary = false;
    bool hasFinalBoundary = false;

   private:
    BodyPart(HTTPHeaders headers, std::shared_ptr<platform::InputStream> bodyStream, std::uint64_t bodyContentLength);
  };

  // The body size from which an upload is written to a file rather than
  // built in memory: ten million bytes.
  static constexpr std::uint64_t encodingMemoryThreshold = 10'000'000;

  // Without a boundary, a random one is made.
  static std::shared_ptr<MultipartFormData> make(
      std::shared_ptr<platform::FileManager> fileManager = platform::FileManager::defaultManager(),
      std::optional<std::string> boundary = std::nullopt);

  virtual ~MultipartFormData() = default;
  MultipartFormData(const MultipartFormData&) = delete;
  MultipartFormData& operator=(const MultipartFormData&) = delete;

  // "multipart/form-data; boundary=" and the boundary, until a value is set.
  virtual std::string contentType() const { return contentType_; }
  virtual void setContentType(std::string contentType) { contentType_ = std::move(contentType); }
  // The declared body lengths added up; boundaries and headers not counted.
  virtual std::uint64_t contentLength() const;
  // The size of the whole body as `encode` gives it and `writeEncodedData`
  // writes it, boundaries and headers counted: the Content-Length of a
  // request that carries the form.
  virtual std::uint64_t encodedContentLength();

  const std::string& boundary() const { return boundary_; }
  const std::shared_ptr<platform::FileManager>& fileManager() const { return fileManager_; }
  std::vector<std::shared_ptr<BodyPart>>& bodyParts() { return bodyParts_; }
  const std::vector<std::shared_ptr<BodyPart>>& bodyParts() const { return bodyParts_; }
  std::optional<WNError>& bodyPartError() { return bodyPartError_; }
  const std::optional<WNError>& bodyPartError() const { return bodyPartError_; }
  // The largest number of bytes read from a part's stream at a time.
  std::size_t streamBufferSize() const { return streamBufferSize_; }

  // In the part headers, a '"', CR or LF in the field name or file name is
  // percent-encoded (%22, %0D, %0A) so that no name can end the quoted text
  // or start a header of its own; everything else is written as given.
  virtual void append(const platform::Data& data, std::string_view name,
                      const std::optional<std::string>& fileName = std::nullopt,
                      const std::optional<std::string>& mimeType = std::nullopt);
  // The file name is the URL's last path component and the MIME type that
  // of its extension; a URL without either records bodyPartFilenameInvalid.
  virtual void append(const platform::URL& fileURL, std::string_view name);
  // The file must be reachable, not a directory, and have a size, which
  // becomes the declared length; its bytes are read only when encoding.
  virtual void append(const platform::URL& fileURL, std::string_view name, std::string_view fileName,
                      std::string_view mimeType);
  virtual void append(std::shared_ptr<platform::InputStream> stream, std::uint64_t length, std::string_view name,
                      std::string_view fileName, std::string_view mimeType);
  // The headers are written as given. A null stream stops the process.
  virtual void append(std::shared_ptr<platform::InputStream> stream, std::uint64_t length, HTTPHeaders headers);

  // The whole body. Throws WNError: the recorded append failure, or
  // inputStreamReadFailed when a stream fails or gives a count of bytes
  // other than its declared length. An empty form gives no bytes at all.
  virtual platform::Data encode();

  // Streams the body into a new file, at most `streamBufferSize` bytes at a
  // time. Throws WNError: the recorded append failure,
  // outputStreamURLInvalid, outputStreamFileAlreadyExists (nothing was
  // created and the item there is left untouched), outputStreamCreationFailed,
  // inputStreamReadFailed (also when a stream ends before its declared
  // length) or outputStreamWriteFailed. After a failure past creation, the
  // partly written file stays for the caller to remove: only then is the
  // file at `fileURL` one this form created.
  virtual void writeEncodedData(const platform::URL& fileURL);

  // "wendanet.boundary." and 16 lower-case hexadecimal digits from the
  // operating system's random source.
  static std::string makeRandomBoundary();
  // "application/octet-stream" for an unknown extension.
  static std::string mimeType(std::string_view pathExtension);
  // The headers of a part with these texts, as they go on the wire: a
  // Content-Disposition, then a Content-Type when there is a MIME type.
  // A quote, a line break or a NUL in the texts is percent-encoded.
  static HTTPHeaders contentHeaders(std::string_view name, const std::optional<std::string_view>& fileName,
                                    const std::optional<std::string_view>& mimeType);

 protected:
  MultipartFormData(std::shared_ptr<platform::FileManager> fileManager, std::optional<std::string> boundary);

 private:
  platform::Data encode(const BodyPart& bodyPart) const;
  void write(const BodyPart& bodyPart, platform::OutputStream& output) const;
  void markFirstAndLastParts();
  void throwRecordedError() const;
  // The reason the file cannot be a part, or its size.
  std::expected<std::uint64_t, MultipartEncodingFailureReason> checkFile(const platform::URL& fileURL) const;
  std::shared_ptr<platform::OutputStream> createOutputStream(const platform::URL& fileURL) const;

  // The boundary and header block that come before the part's body.
  std::string partOpening(const BodyPart& bodyPart) const;
  std::string finalBoundary() const;

  // The first failure wins; later ones are dropped.
  void setBodyPartError(MultipartEncodingFailureReason reason);

  std::string boundary_;
  std::string contentType_;
  std::shared_ptr<platform::FileManager> fileManager_;
  std::vector<std::shared_ptr<BodyPart>> bodyParts_;
  std::optional<WNError> bodyPartError_;
  std::size_t streamBufferSize_ = 1024;
};

}  // namespace wendanet
