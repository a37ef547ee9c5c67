#include "Wendanet/Source/Support/MultipartFormData.h"

#include <fmt/format.h>

#include <cerrno>
#include <span>

#include "Platform/Fatal.h"
#include "Platform/Foundation/MimeType.h"
#include "Platform/Foundation/Random.h"
#include "Wendanet/Source/Support/MultipartStreams.h"
#include "Wendanet/Source/Support/NewFileOutputStream.h"

namespace wendanet {

namespace {

using Reason = MultipartEncodingFailureReason;

constexpr std::string_view crlf = "\r\n";

// `value` with each of `characters` percent-encoded, as browsers do for the
// texts that go into a part's headers: a line break in them would otherwise
// start a header line of its own.
std::string percentEncoding(std::string_view value, std::string_view characters) {
  std::string encoded;
  for (char character : value) {
    if (characters.find(character) == std::string_view::npos) {
      encoded += character;
    } else {
      encoded += fmt::format("%{:02X}", static_cast<unsigned char>(character));
    }
  }
  return encoded;
}

// Line breaks would start a header line of their own; a NUL ends the header
// text for many a reader and is refused by others.
constexpr std::string_view headerBreakers{"\r\n\0", 3};
constexpr std::string_view parameterBreakers{"\"\r\n\0", 4};

// A name as the quoted text of a Content-Disposition parameter: the
// characters that could end the quotes or the header text are encoded.
std::string quotedParameter(std::string_view value) { return '"' + percentEncoding(value, parameterBreakers) + '"'; }

std::span<const std::uint8_t> bytesOf(std::string_view text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

}  // namespace

std::shared_ptr<MultipartFormData::BodyPart> MultipartFormData::BodyPart::make(
    HTTPHeaders headers, std::shared_ptr<platform::InputStream> bodyStream, std::uint64_t bodyContentLength) {
  return std::shared_ptr<BodyPart>(new BodyPart(std::move(headers), std::move(bodyStream), bodyContentLength));
}

MultipartFormData::BodyPart::BodyPart(HTTPHeaders headers, std::shared_ptr<platform::InputStream> bodyStream,
                                      std::uint64_t bodyContentLength)
    : headers(std::move(headers)), bodyStream(std::move(bodyStream)), bodyContentLength(bodyContentLength) {}

std::shared_ptr<MultipartFormData> MultipartFormData::make(std::shared_ptr<platform::FileManager> fileManager,
                                                           std::optional<std::string> boundary) {
  return std::shared_ptr<MultipartFormData>(new MultipartFormData(std::move(fileManager), std::move(boundary)));
}

MultipartFormData::MultipartFormData(std::shared_ptr<platform::FileManager> fileManager,
                                     std::optional<std::string> boundary)
    : boundary_(boundary ? std::move(*boundary) : makeRandomBoundary()),
      contentType_("multipart/form-data; boundary=" + boundary_),
      fileManager_(std::move(fileManager)) {}

std::uint64_t MultipartFormData::contentLength() const {
  std::uint64_t length = 0;
  for (const auto& part : bodyParts_) length += part->bodyContentLength;
  return length;
}

std::uint64_t MultipartFormData::encodedContentLength() {
  markFirstAndLastParts();
  std::uint64_t length = 0;
  for (const auto& part : bodyParts_) {
    length += partOpening(*part).size() + part->bodyContentLength;
    if (part->hasFinalBoundary) length += finalBoundary().size();
  }
  return length;
}

std::string MultipartFormData::makeRandomBoundary() {
  const std::uint32_t first = platform::randomUInt32();
  const std::uint32_t second = platform::randomUInt32();
  return fmt::format("wendanet.boundary.{:08x}{:08x}", first, second);
}

std::string MultipartFormData::mimeType(std::string_view pathExtension) {
  return platform::mimeTypeForPathExtension(pathExtension);
}

HTTPHeaders MultipartFormData::contentHeaders(std::string_view name, const std::optional<std::string_view>& fileName,
                                              const std::optional<std::string_view>& mimeType) {
  std::string disposition = "form-data; name=" + quotedParameter(name);
  if (fileName) disposition += "; filename=" + quotedParameter(*fileName);
  HTTPHeaders headers{HTTPHeader::contentDisposition(std::move(disposition))};
  if (mimeType) headers.update(HTTPHeader::contentType(percentEncoding(*mimeType, headerBreakers)));
  return headers;
}

void MultipartFormData::append(const platform::Data& data, std::string_view name,
                               const std::optional<std::string>& fileName, const std::optional<std::string>& mimeType) {
  append(platform::InputStream::fromData(data), data.size(), contentHeaders(name, fileName, mimeType));
}

void MultipartFormData::append(const platform::URL& fileURL, std::string_view name) {
  const std::string fileName = fileURL.lastPathComponent();
  const std::string pathExtension = fileURL.pathExtension();
  if (fileName.empty() || pathExtension.empty()) return setBodyPartError(Reason::bodyPartFilenameInvalid(fileURL));
  append(fileURL, name, fileName, mimeType(pathExtension));
}

void MultipartFormData::append(const platform::URL& fileURL, std::string_view name, std::string_view fileName,
                               std::string_view mimeType) {
  auto headers = contentHeaders(name, fileName, mimeType);
  auto size = checkFile(fileURL);
  if (!size) return setBodyPartError(std::move(size.error()));
  append(platform::InputStream::fromFile(fileURL.path()), *size, std::move(headers));
}

void MultipartFormData::append(std::shared_ptr<platform::InputStream> stream, std::uint64_t length,
                               std::string_view name, std::string_view fileName, std::string_view mimeType) {
  append(std::move(stream), length, contentHeaders(name, fileName, mimeType));
}

void MultipartFormData::append(std::shared_ptr<platform::InputStream> stream, std::uint64_t length,
                               HTTPHeaders headers) {
  if (!stream) platform::fatal("A multipart body part needs an input stream.");
  bodyParts_.push_back(BodyPart::make(std::move(headers), std::move(stream), length));
}

std::expected<std::uint64_t, MultipartEncodingFailureReason> MultipartFormData::checkFile(
    const platform::URL& fileURL) const {
  if (!fileURL.isFileURL()) return std::unexpected(Reason::bodyPartURLInvalid(fileURL));
  const auto path = fileURL.path();
  try {
    if (!fileManager_->checkPromisedItemIsReachable(path)) {
      return std::unexpected(Reason::bodyPartFileNotReachable(fileURL));
    }
  } catch (const platform::Error& error) {
    return std::unexpected(Reason::bodyPartFileNotReachableWithError(fileURL, error.clone()));
  }
  bool isDirectory = false;
  if (!fileManager_->fileExists(path, isDirectory) || isDirectory) {
    return std::unexpected(Reason::bodyPartFileIsDirectory(fileURL));
  }
  try {
    const auto size = fileManager_->attributesOfItem(path).size;
    if (!size) return std::unexpected(Reason::bodyPartFileSizeNotAvailable(fileURL));
    return *size;
  } catch (const platform::Error& error) {
    return std::unexpected(Reason::bodyPartFileSizeQueryFailedWithError(fileURL, error.clone()));
  }
}

void MultipartFormData::setBodyPartError(MultipartEncodingFailureReason reason) {
  if (!bodyPartError_) bodyPartError_ = WNError::multipartEncodingFailed(std::move(reason));
}

platform::Data MultipartFormData::encode() {
  throwRecordedError();
  markFirstAndLastParts();
  platform::Data body;
  for (const auto& part : bodyParts_) body.append(encode(*part));
  return body;
}

void MultipartFormData::writeEncodedData(const platform::URL& fileURL) {
  throwRecordedError();
  auto output = createOutputStream(fileURL);
  OpenedStream opened(*output);
  markFirstAndLastParts();
  for (const auto& part : bodyParts_) write(*part, *output);
}

platform::Data MultipartFormData::encode(const BodyPart& bodyPart) const {
  platform::Data encoded(partOpening(bodyPart));
  encoded.append(readBodyStream(*bodyPart.bodyStream, bodyPart.bodyContentLength, streamBufferSize_));
  if (bodyPart.hasFinalBoundary) encoded.append(finalBoundary());
  return encoded;
}

void MultipartFormData::write(const BodyPart& bodyPart, platform::OutputStream& output) const {
  writeAllBytes(output, bytesOf(partOpening(bodyPart)));
  copyBodyStream(*bodyPart.bodyStream, bodyPart.bodyContentLength, output, streamBufferSize_);
  if (bodyPart.hasFinalBoundary) writeAllBytes(output, bytesOf(finalBoundary()));
}

void MultipartFormData::markFirstAndLastParts() {
  if (bodyParts_.empty()) return;
  bodyParts_.front()->hasInitialBoundary = true;
  bodyParts_.back()->hasFinalBoundary = true;
}

void MultipartFormData::throwRecordedError() const {
  if (bodyPartError_) throw *bodyPartError_;
}

std::shared_ptr<platform::OutputStream> MultipartFormData::createOutputStream(const platform::URL& fileURL) const {
  // Checked before the path is looked at: the path of a web URL says
  // nothing about this machine's files.
  if (!fileURL.isFileURL()) throw WNError::multipartEncodingFailed(Reason::outputStreamURLInvalid(fileURL));
  const auto path = fileURL.path();
  if (fileManager_->fileExists(path)) {
    throw WNError::multipartEncodingFailed(Reason::outputStreamFileAlreadyExists(fileURL));
  }
  auto output = NewFileOutputStream::create(path);
  if (!output) {
    // Something appeared at the path after the check above.
    if (output.error().errorNumber() == EEXIST) {
      throw WNError::multipartEncodingFailed(Reason::outputStreamFileAlreadyExists(fileURL));
    }
    throw WNError::multipartEncodingFailed(Reason::outputStreamCreationFailed(fileURL));
  }
  return std::move(*output);
}

std::string MultipartFormData::partOpening(const BodyPart& bodyPart) const {
  std::string opening = bodyPart.hasInitialBoundary ? "" : std::string(crlf);
  opening += fmt::format("--{}{}", boundary_, crlf);
  for (const auto& header : bodyPart.headers) opening += fmt::format("{}: {}{}", header.name(), header.value(), crlf);
  opening += crlf;
  return opening;
}

std::string MultipartFormData::finalBoundary() const { return fmt::format("{}--{}--{}", crlf, boundary_, crlf); }

}  // namespace wendanet
