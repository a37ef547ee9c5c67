#include "Wendanet/Source/Core/UploadRequest.h"

#include <algorithm>
#include <utility>
#include <variant>

#include "Platform/Fatal.h"
#include "Platform/Foundation/Error.h"
#include "Platform/URLLoading/URLSession.h"
#include "Wendanet/Source/Core/TaggedUnion.h"

namespace wendanet {

std::shared_ptr<UploadRequest> UploadRequest::make(BaseFields fields, std::shared_ptr<const UploadConvertible> upload,
                                                   std::shared_ptr<platform::FileManager> fileManager) {
  return std::shared_ptr<UploadRequest>(new UploadRequest(std::move(fields), std::move(upload), std::move(fileManager)));
}

UploadRequest::UploadRequest(BaseFields fields, std::shared_ptr<const UploadConvertible> upload,
                             std::shared_ptr<platform::FileManager> fileManager)
    : ChainedRequest(std::move(fields), upload), upload_(std::move(upload)), fileManager_(std::move(fileManager)) {}

std::optional<Uploadable> UploadRequest::uploadable() const {
  return uploadState_.write([](const UploadState& state) { return state.uploadable; });
}

void UploadRequest::didCreateUploadable(Uploadable uploadable) {
  platform::dispatchPrecondition(*underlyingQueue());
  uploadState_.write([&](UploadState& state) {
    // A retry is usually given the same file again.
    const auto* file = std::get_if<Uploadable::File>(&uploadable.value());
    if (file && file->shouldRemove && std::ranges::find(state.temporaryFiles, file->url) == state.temporaryFiles.end()) {
      state.temporaryFiles.push_back(file->url);
    }
    state.uploadable = uploadable;
  });
  report(&EventMonitor::requestDidCreateUploadable, uploadable);
}

void UploadRequest::didFailToCreateUploadable(const WNError& error) {
  platform::dispatchPrecondition(*underlyingQueue());
  mutableState_.write([&](MutableState& state) { state.error = error; });
  report(&EventMonitor::requestDidFailToCreateUploadableWithError, error);
  retryOrFinish(error);
}

std::shared_ptr<platform::URLSessionTask> UploadRequest::createTask(
    const platform::URLRequest& urlRequest, const std::shared_ptr<platform::URLSession>& session) {
  const auto current = uploadable();
  if (!current) platform::fatal("Attempting to create a URLSessionUploadTask when Uploadable value doesn't exist.");
  return std::visit(
      Overloaded{
          [&](const Uploadable::Data& body) -> std::shared_ptr<platform::URLSessionTask> {
            return session->uploadTaskWithRequestFromData(urlRequest, body.data);
          },
          [&](const Uploadable::File& file) -> std::shared_ptr<platform::URLSessionTask> {
            return session->uploadTaskWithRequestFromFile(urlRequest, file.url);
          },
          [&](const Uploadable::Stream&) -> std::shared_ptr<platform::URLSessionTask> {
            return session->uploadTaskWithStreamedRequest(urlRequest);
          },
      },
      current->value());
}

std::shared_ptr<platform::InputStream> UploadRequest::inputStream() {
  const auto current = uploadable();
  if (!current) platform::fatal("Attempting to access the input stream but the uploadable doesn't exist.");
  const auto* body = std::get_if<Uploadable::Stream>(&current->value());
  if (!body) platform::fatal("Attempted to access the stream of an UploadRequest that wasn't created with one.");
  report(&EventMonitor::requestDidProvideInputStream, body->stream);
  return body->stream;
}

void UploadRequest::reset() {
  uploadState_.write([](UploadState& state) { state.uploadable.reset(); });
  DataRequest::reset();
}

void UploadRequest::cleanup() {
  const auto files = uploadState_.write([](UploadState& state) { return std::exchange(state.temporaryFiles, {}); });
  for (const auto& file : files) {
    try {
      fileManager_->removeItem(file.path());
    } catch (const platform::Error&) {
      // The body was sent or given up; a file already gone changes nothing.
    }
  }
  DataRequest::cleanup();
}

}  // namespace wendanet
