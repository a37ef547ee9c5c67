#include "Platform/URLLoading/Engine/ContentDecoder.h"

#include <brotli/decode.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>

#include "Platform/Foundation/ASCIICase.h"

namespace platform {

// One coding of the list: bytes in, decoded bytes out, a piece at a time.
class ContentDecoder::Stage {
 public:
  virtual ~Stage() = default;

  void feed(std::string_view bytes) {
    input_.erase(0, consumed_);
    consumed_ = 0;
    input_.append(bytes);
  }
  // Empty when the input so far gives nothing more; sets `failed`.
  virtual std::string_view decode(bool& failed) = 0;
  virtual bool reachedEnd() const { return true; }

 protected:
  std::string_view unread() const { return std::string_view(input_).substr(consumed_); }
  void consume(std::size_t count) { consumed_ += count; }
  // Bytes after a stream's end belong to nothing.
  std::string_view discardUnread() {
    consumed_ = input_.size();
    return {};
  }

 private:
  std::string input_;
  std::size_t consumed_ = 0;
};

namespace {

// Hands out the bytes as fed, without a copy: they stay put until the
// next feed.
class IdentityStage final : public ContentDecoder::Stage {
 public:
  std::string_view decode(bool&) override {
    const auto piece = unread().substr(0, ContentDecoder::pieceSize);
    consume(piece.size());
    return piece;
  }
};

// A stage that writes what it decodes into a piece-sized buffer of its own.
class DecodingStage : public ContentDecoder::Stage {
 protected:
  std::string output_ = std::string(ContentDecoder::pieceSize, '\0');
};

// Whatever follows a coding no one knows cannot be read.
class UnknownStage final : public ContentDecoder::Stage {
 public:
  std::string_view decode(bool& failed) override {
    failed = !unread().empty();
    return {};
  }
  bool reachedEnd() const override { return false; }
};

// gzip, or deflate: zlib-wrapped as the standard says, or raw as many
// servers send it, told apart by the first two bytes.
class ZlibStage final : public DecodingStage {
 public:
  explicit ZlibStage(bool gzip) : gzip_(gzip) {}
  ~ZlibStage() override {
    if (initialized_) inflateEnd(&stream_);
  }

  std::string_view decode(bool& failed) override {
    if (ended_) return discardUnread();
    if (!initialized_ && !initialize(failed)) return {};
    const auto input = unread();
    stream_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data()));
    stream_.avail_in = static_cast<uInt>(input.size());
    stream_.next_out = reinterpret_cast<Bytef*>(output_.data());
    stream_.avail_out = static_cast<uInt>(output_.size());
    const int result = inflate(&stream_, Z_NO_FLUSH);
    consume(input.size() - stream_.avail_in);
    const auto produced = output_.size() - stream_.avail_out;
    if (result == Z_STREAM_END) {
      ended_ = true;
    } else if (result != Z_OK && result != Z_BUF_ERROR) {
      failed = true;
      return {};
    }
    return std::string_view(output_).substr(0, produced);
  }
  bool reachedEnd() const override { return ended_; }

 private:
  bool initialize(bool& failed) {
    const auto input = unread();
    int windowBits = 15 + 16;
    if (!gzip_) {
      if (input.size() < 2) return false;
      const auto first = static_cast<unsigned char>(input[0]);
      const auto second = static_cast<unsigned char>(input[1]);
      const bool wrapped = (first & 0x0F) == Z_DEFLATED && (first * 256 + second) % 31 == 0;
      windowBits = wrapped ? 15 : -15;
    }
    if (inflateInit2(&stream_, windowBits) != Z_OK) {
      failed = true;
      return false;
    }
    initialized_ = true;
    return true;
  }

  bool gzip_;
  bool initialized_ = false;
  bool ended_ = false;
  z_stream stream_{};
};

class BrotliStage final : public DecodingStage {
 public:
  BrotliStage() : state_(BrotliDecoderCreateInstance(nullptr, nullptr, nullptr)) {}
  ~BrotliStage() override { BrotliDecoderDestroyInstance(state_); }

  std::string_view decode(bool& failed) override {
    if (ended_) return discardUnread();
    if (state_ == nullptr) {
      failed = true;
      return {};
    }
    const auto input = unread();
    auto availableIn = input.size();
    const auto* nextIn = reinterpret_cast<const std::uint8_t*>(input.data());
    auto availableOut = output_.size();
    auto* nextOut = reinterpret_cast<std::uint8_t*>(output_.data());
    const auto result = BrotliDecoderDecompressStream(state_, &availableIn, &nextIn, &availableOut, &nextOut, nullptr);
    consume(input.size() - availableIn);
    if (result == BROTLI_DECODER_RESULT_SUCCESS) ended_ = true;
    if (result == BROTLI_DECODER_RESULT_ERROR) {
      failed = true;
      return {};
    }
    return std::string_view(output_).substr(0, output_.size() - availableOut);
  }
  bool reachedEnd() const override { return ended_; }

 private:
  BrotliDecoderState* state_;
  bool ended_ = false;
};

std::string_view trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::unique_ptr<ContentDecoder::Stage> makeStage(std::string_view coding) {
  const auto name = asciiLowercased(coding);
  if (name == "gzip" || name == "x-gzip") return std::make_unique<ZlibStage>(true);
  if (name == "deflate") return std::make_unique<ZlibStage>(false);
  if (name == "br") return std::make_unique<BrotliStage>();
  if (name == "identity") return nullptr;
  return std::make_unique<UnknownStage>();
}

}  // namespace

ContentDecoder::ContentDecoder(std::string_view contentEncoding) {
  // The codings were applied in the order listed, so they come off last
  // first; the first stage takes the body as received.
  while (!contentEncoding.empty()) {
    const auto comma = contentEncoding.rfind(',');
    const auto coding = trimmed(comma == std::string_view::npos ? contentEncoding : contentEncoding.substr(comma + 1));
    if (!coding.empty()) {
      if (auto stage = makeStage(coding)) stages_.push_back(std::move(stage));
    }
    contentEncoding = comma == std::string_view::npos ? std::string_view() : contentEncoding.substr(0, comma);
  }
  if (stages_.empty()) stages_.push_back(std::make_unique<IdentityStage>());
}

ContentDecoder::~ContentDecoder() = default;

void ContentDecoder::feed(std::string_view bytes) {
  if (bytes.empty()) return;
  fed_ = true;
  stages_.front()->feed(bytes);
}

std::string_view ContentDecoder::next() {
  if (failed_) return {};
  return pull(stages_.size() - 1);
}

// A stage with nothing to give asks the stage before it for more input.
std::string_view ContentDecoder::pull(std::size_t stage) {
  while (true) {
    const auto piece = stages_[stage]->decode(failed_);
    if (!piece.empty() || failed_ || stage == 0) return piece;
    const auto input = pull(stage - 1);
    if (input.empty()) return {};
    stages_[stage]->feed(input);
  }
}

bool ContentDecoder::isComplete() const {
  return !fed_ || std::ranges::all_of(stages_, [](const auto& stage) { return stage->reachedEnd(); });
}

}  // namespace platform
