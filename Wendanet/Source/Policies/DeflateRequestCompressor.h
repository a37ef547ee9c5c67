#pragma once

#include <functional>
#include <memory>
#include <string>

#include "Platform/Foundation/Data.h"
#include "Platform/Foundation/Error.h"
#include "Wendanet/Source/Support/RequestInterceptor.h"

namespace wendanet {

// Compresses request bodies into the zlib format and marks them with
// "Content-Encoding: deflate". An immutable value: adapting runs on the
// caller's thread and completes there, at once.
class DeflateRequestCompressor final : public RequestInterceptor {
 public:
  // What to do with a request that already names a content encoding.
  enum class DuplicateHeaderBehavior { error, replace, skip };

  class DuplicateHeaderError final : public platform::ErrorBase<DuplicateHeaderError> {
   public:
    std::string description() const override { return "DuplicateHeaderError"; }
  };

  // zlib could not compress the body.
  class CompressionError final : public platform::ErrorBase<CompressionError> {
   public:
    CompressionError(int code, std::string message) : code_(code), message_(std::move(message)) {}
    int code() const { return code_; }
    std::string description() const override;

   private:
    int code_;
    std::string message_;
  };

  using BodyPredicate = std::function<bool(const platform::Data&)>;

  explicit DeflateRequestCompressor(DuplicateHeaderBehavior duplicateHeaderBehavior = DuplicateHeaderBehavior::error,
                                    BodyPredicate shouldCompressBodyData = [](const platform::Data&) { return true; });
  static std::shared_ptr<DeflateRequestCompressor> make(
      DuplicateHeaderBehavior duplicateHeaderBehavior = DuplicateHeaderBehavior::error,
      BodyPredicate shouldCompressBodyData = [](const platform::Data&) { return true; });

  DuplicateHeaderBehavior duplicateHeaderBehavior() const { return duplicateHeaderBehavior_; }

  void adapt(const platform::URLRequest& urlRequest, const std::shared_ptr<Session>& session,
             AdaptCompletion completion) override;

  // Two header bytes (0x78 0x5E), the raw DEFLATE stream and the Adler-32 of
  // the input, big-endian. Throws CompressionError.
  static platform::Data deflateBody(const platform::Data& body);

 private:
  DuplicateHeaderBehavior duplicateHeaderBehavior_;
  BodyPredicate shouldCompressBodyData_;
};

}  // namespace wendanet
