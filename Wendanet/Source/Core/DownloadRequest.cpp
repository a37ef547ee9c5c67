#include "Wendanet/Source/Core/DownloadRequest.h"

#include <cerrno>
#include <filesystem>
#include <string>

#include "Platform/Files/FileError.h"
#include "Platform/Foundation/URLError.h"
#include "Platform/URLLoading/URLSession.h"
#include "Wendanet/Source/Core/WNErrorCasts.h"

namespace wendanet {

namespace {

// Puts the finished file at `destination` as `options` say; throws what the
// file system refused.
void placeDownloadedFile(const platform::URL& location, const platform::URL& destination,
                         DownloadRequest::Options options, const platform::FileManager& fileManager) {
  using Options = DownloadRequest::Options;
  const std::filesystem::path path = destination.path();
  // Any other URL's path would name some unrelated place on this machine.
  if (!destination.isFileURL() || !path.is_absolute()) {
    throw platform::URLError(platform::URLError::Code::unsupportedURL, destination);
  }
  if (options.contains(Options::removePreviousFile())) {
    // Replacing a file must never take a whole directory tree with it.
    if (fileManager.typeOfItem(path) == platform::FileType::directory) {
      throw platform::FileError("remove", path, EISDIR);
    }
    if (fileManager.fileExists(path)) fileManager.removeItem(path);
  }
  if (options.contains(Options::createIntermediateDirectories())) {
    fileManager.createDirectory(destination.deletingLastPathComponent().path(), true);
  }
  fileManager.moveItem(location.path(), path);
}

}  // namespace

std::shared_ptr<DownloadRequest> DownloadRequest::make(BaseFields fields, Downloadable downloadable,
                                                       Destination destination) {
  return std::shared_ptr<DownloadRequest>(
      new DownloadRequest(std::move(fields), std::move(downloadable), std::move(destination)));
}

DownloadRequest::DownloadRequest(BaseFields fields, Downloadable downloadable, Destination destination)
    : ChainedRequest(std::move(fields)), downloadable_(std::move(downloadable)), destination_(std::move(destination)) {}

DownloadRequest::Destination DownloadRequest::suggestedDownloadDestination(platform::SearchPathDirectory directory,
                                                                           platform::SearchPathDomainMask domain,
                                                                           Options options) {
  return [directory, domain, options](const platform::URL& temporaryURL,
                                      const std::shared_ptr<const platform::HTTPURLResponse>& response) {
    const auto directories = platform::FileManager::defaultManager()->urls(directory, domain);
    if (directories.empty()) return DestinationChoice{temporaryURL, options};
    const auto base = platform::URL::fileURL(directories.front().string());
    // Without a response the temporary file's own name is the best guess.
    const std::string name = response ? response->suggestedFilename() : temporaryURL.lastPathComponent();
    return DestinationChoice{base.appendingPathComponent(name), options};
  };
}

platform::URL DownloadRequest::defaultDestinationURL(const platform::URL& temporaryURL) {
  return temporaryURL.deletingLastPathComponent().appendingPathComponent("Wendanet_" +
                                                                         temporaryURL.lastPathComponent());
}

std::optional<platform::Data> DownloadRequest::resumeData() const {
  if (auto kept = mutableDownloadState_.write([](const DownloadMutableState& state) { return state.resumeData; })) {
    return kept;
  }
  const auto error = this->error();
  return error ? error->getDownloadResumeData() : std::nullopt;
}

std::optional<platform::URL> DownloadRequest::fileURL() const {
  return mutableDownloadState_.write([](const DownloadMutableState& state) { return state.fileURL; });
}

// Tasks and progress.

std::shared_ptr<platform::URLSessionTask> DownloadRequest::createTask(
    const platform::URLRequest& urlRequest, const std::shared_ptr<platform::URLSession>& session) {
  return session->downloadTaskWithRequest(urlRequest);
}

std::shared_ptr<platform::URLSessionTask> DownloadRequest::createTaskWithResumeData(
    const platform::Data& resumeData, const std::shared_ptr<platform::URLSession>& session) const {
  return session->downloadTaskWithResumeData(resumeData);
}

void DownloadRequest::updateDownloadProgress(std::int64_t bytesWritten, std::int64_t totalBytesExpectedToWrite) {
  downloadProgress()->setTotalUnitCount(totalBytesExpectedToWrite);
  downloadProgress()->addToCompletedUnitCount(bytesWritten);
  notifyDownloadProgressHandler();
}

// Finishing the file.

void DownloadRequest::moveDownloadedFile(const std::shared_ptr<platform::URLSessionTask>& task,
                                         const platform::URL& location, const platform::FileManager& fileManager) {
  const auto response = this->response();
  const auto [destination, options] =
      response ? destination_(location, response) : DestinationChoice{defaultDestinationURL(location), {}};
  report(&EventMonitor::requestDidCreateDestinationURL, destination);
  Result<platform::URL> result = destination;
  try {
    placeDownloadedFile(location, destination, options, fileManager);
  } catch (const platform::Error& error) {
    result = std::unexpected(WNError::downloadedFileMoveFailed(error.clone(), location, destination));
  }
  didFinishDownloading(task, result);
}

void DownloadRequest::didFinishDownloading(const std::shared_ptr<platform::URLSessionTask>& task,
                                           const Result<platform::URL>& result) {
  report(&EventMonitor::requestDidFinishDownloadingUsingTaskWithResult, task, result);
  if (result) {
    mutableDownloadState_.write([&](DownloadMutableState& state) { state.fileURL = *result; });
  } else {
    mutableState_.write([&](MutableState& state) { state.error = result.error(); });
  }
}

void DownloadRequest::reset() {
  Request::reset();
  mutableDownloadState_.write([](DownloadMutableState& state) { state = {}; });
}

// Cancelling.

DownloadRequest& DownloadRequest::cancel() { return cancelProducingResumeData(false); }

DownloadRequest& DownloadRequest::cancelProducingResumeData(bool byProducingResumeData) {
  return cancelTask(byProducingResumeData ? ResumeDataHandler([](const auto&) {}) : nullptr);
}

DownloadRequest& DownloadRequest::cancelWithResumeDataHandler(ResumeDataHandler handler) {
  // An empty handler still asks for the data, only telling nobody.
  return cancelTask(handler ? std::move(handler) : ResumeDataHandler([](const auto&) {}));
}

DownloadRequest& DownloadRequest::cancelTask(ResumeDataHandler handler) {
  mutableState_.write([&](MutableState& state) {
    if (state.state >= State::cancelled) return;
    state.state = State::cancelled;
    enqueue([](Request& self) { self.didCancel(); });
    const auto task = state.tasks.empty()
                          ? nullptr
                          : std::dynamic_pointer_cast<platform::URLSessionDownloadTask>(state.tasks.back());
    if (!task || task->state() == platform::URLSessionTask::State::completed) {
      enqueue([](Request& self) { self.finish(); });
      return;
    }
    task->resume();
    if (!handler) {
      task->cancel();
      enqueue([task](Request& self) { self.didCancelTask(task); });
      return;
    }
    task->cancelByProducingResumeData(
        [self = self(), task, handler = std::move(handler)](const std::optional<platform::Data>& resumeData) {
          self->keepResumeData(task, resumeData);
          handler(resumeData);
        });
  });
  return *this;
}

void DownloadRequest::keepResumeData(const std::shared_ptr<platform::URLSessionTask>& task,
                                     const std::optional<platform::Data>& resumeData) {
  // An answer without data replaces what an earlier one left.
  mutableDownloadState_.write([&](DownloadMutableState& state) { state.resumeData = resumeData; });
  enqueue([task](Request& self) { self.didCancelTask(task); });
}

// Validation.

DownloadRequest& DownloadRequest::validate(Validation validation) {
  validators_.write([&](std::vector<Validator>& validators) {
    validators.push_back([request = std::weak_ptr<DownloadRequest>(self()), validation = std::move(validation)] {
      if (const auto self = request.lock()) self->runValidator(validation);
    });
  });
  return *this;
}

void DownloadRequest::runValidator(const Validation& validation) {
  if (error()) return;
  const auto response = this->response();
  if (!response) return;
  const auto urlRequest = lastRequest();
  const auto file = fileURL();
  const ValidationResult result = validation(urlRequest, response, file);
  recordValidationResult(result);
  report(&EventMonitor::requestDidValidateRequestResponseFileURLWithResult, urlRequest, response, file, result);
}

DownloadRequest& DownloadRequest::validateContentType(std::function<std::vector<std::string>()> acceptableTypes) {
  return validate([acceptableTypes = std::move(acceptableTypes)](const auto&, const auto& response, const auto& file) {
    return validateDownloadContentType(acceptableTypes, *response, file, *platform::FileManager::defaultManager());
  });
}

DownloadRequest& DownloadRequest::validate() {
  validateStatusCode(std::views::iota(200, 300));
  // The "Accept" header of the URL request sent last, after adaptation and
  // retries, which is the one the validator is given.
  return validate([](const auto& urlRequest, const auto& response, const auto& file) {
    return validateDownloadContentType([&] { return acceptableContentTypes(urlRequest); }, *response, file,
                                       *platform::FileManager::defaultManager());
  });
}

}  // namespace wendanet
