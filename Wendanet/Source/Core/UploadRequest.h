#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "Platform/Files/FileManager.h"
#include "Platform/Foundation/URL.h"
#include "Platform/Streams/InputStream.h"
#include "Wendanet/Source/Core/ChainedRequest.h"
#include "Wendanet/Source/Core/DataRequest.h"
#include "Wendanet/Source/Core/Protected.h"
#include "Wendanet/Source/Core/Uploadable.h"
#include "Wendanet/Source/Core/UploadableConvertible.h"

namespace wendanet {

// A data request that sends a body: bytes, a file or a stream, made by the
// session from `upload` each time it performs the request.
class UploadRequest : public ChainedRequest<UploadRequest, DataRequest> {
 public:
  using Uploadable = wendanet::Uploadable;

  // `upload` gives the URL request as well as the body; `fileManager`
  // removes a temporary body file at clean-up.
  static std::shared_ptr<UploadRequest> make(BaseFields fields, std::shared_ptr<const UploadConvertible> upload,
                                             std::shared_ptr<platform::FileManager> fileManager);

  const std::shared_ptr<const UploadConvertible>& upload() const { return upload_; }
  const std::shared_ptr<platform::FileManager>& fileManager() const { return fileManager_; }
  // Absent until the session has made it, and again after a reset.
  std::optional<Uploadable> uploadable() const;

  // Called by the session on `underlyingQueue` once it has asked `upload`
  // for the body.
  void didCreateUploadable(Uploadable uploadable);
  // The request fails with `error`, unless a retrier retries it.
  void didFailToCreateUploadable(const WNError& error);

  bool sendsBodyOutsideRequest() const override { return true; }
  // A task that sends the current uploadable; without one the process stops.
  std::shared_ptr<platform::URLSessionTask> createTask(const platform::URLRequest& urlRequest,
                                                       const std::shared_ptr<platform::URLSession>& session) override;
  // The body stream of a stream upload, the same object on every call;
  // asking any other upload stops the process.
  std::shared_ptr<platform::InputStream> inputStream();
  // The next attempt gets its body from the session afresh; a temporary
  // body file stays for it.
  void reset() override;
  // Removes every temporary body file this request was given, then cleans
  // up as every request does. A file that cannot be removed is left.
  void cleanup() override;

 protected:
  UploadRequest(BaseFields fields, std::shared_ptr<const UploadConvertible> upload,
                std::shared_ptr<platform::FileManager> fileManager);

 private:
  struct UploadState {
    std::optional<Uploadable> uploadable;
    // Kept apart from `uploadable` so that a request cancelled between a
    // reset and the next body still removes the file it owns.
    std::vector<platform::URL> temporaryFiles;
  };

  const std::shared_ptr<const UploadConvertible> upload_;
  const std::shared_ptr<platform::FileManager> fileManager_;
  mutable Protected<UploadState> uploadState_;
};

}  // namespace wendanet
