#pragma once

#include <concepts>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <ranges>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "Platform/Foundation/OptionSet.h"
#include "Platform/Coding/JSONSerialization.h"
#include "Platform/Coding/JSONValue.h"
#include "Platform/Files/FileManager.h"
#include "Platform/Foundation/Data.h"
#include "Platform/Foundation/TextEncoding.h"
#include "Platform/Foundation/URL.h"
#include "Platform/URLLoading/URLSessionDownloadTask.h"
#include "Wendanet/Source/Core/ChainedRequest.h"
#include "Wendanet/Source/Core/AnyValue.h"
#include "Wendanet/Source/Support/DataResponseSerializer.h"
#include "Wendanet/Source/Support/DecodableResponseSerializer.h"
#include "Wendanet/Source/Core/DownloadResponse.h"
#include "Wendanet/Source/Support/JSONResponseSerializer.h"
#include "Wendanet/Source/Core/Request.h"
#include "Wendanet/Source/Support/ResponseSerializer.h"
#include "Wendanet/Source/Support/ResponseValidation.h"
#include "Wendanet/Source/Support/SerializedResponseShorthands.h"
#include "Wendanet/Source/Support/StringResponseSerializer.h"
#include "Wendanet/Source/Core/TaggedUnion.h"
#include "Wendanet/Source/Core/URLRequestConvertible.h"
#include "Wendanet/Source/Support/URLResponseSerializer.h"

namespace wendanet {

// A request whose response body the URL loading system writes to a
// temporary file. When the file is complete it is moved to where the
// request's destination handler says, and the request keeps the final file
// URL; a download cancelled for it keeps the data to resume from. The
// download state has its own lock, apart from the request's state lock and
// its validators' lock; no operation holds two at once.
class DownloadRequest final : public ChainedRequest<DownloadRequest>,
                              public SerializedResponseShorthands<DownloadRequest, DownloadResponse> {
 public:
  // How the downloaded file is put in place, as a set of bits.
  class Options : public platform::OptionSet<Options, std::int64_t> {
   public:
    using OptionSet::OptionSet;

    // The destination's missing parent directories are created.
    static constexpr Options createIntermediateDirectories() { return Options(std::int64_t{1}); }
    // A file already at the destination is removed first. A directory there
    // is never removed: the move fails instead.
    static constexpr Options removePreviousFile() { return Options(std::int64_t{2}); }
  };

  // Where the file goes and how it is put there.
  struct DestinationChoice {
    platform::URL destinationURL;
    Options options;
  };
  // Given the temporary file and the HTTP response, chooses the file's
  // place. It runs while the session waits, so it must be quick, and it
  // must not throw.
  using Destination = std::function<DestinationChoice(
      const platform::URL& temporaryURL, const std::shared_ptr<const platform::HTTPURLResponse>& response)>;

  // What a download starts from.
  class Downloadable {
   public:
    struct Request {
      std::shared_ptr<const URLRequestConvertible> convertible;
    };
    struct ResumeData {
      platform::Data data;
    };
    using Case = std::variant<Request, ResumeData>;

    static Downloadable request(std::shared_ptr<const URLRequestConvertible> convertible) {
      return Request{std::move(convertible)};
    }
    static Downloadable resumeData(platform::Data data) { return ResumeData{std::move(data)}; }

    template <AlternativeOf<Case> Alternative>
    Downloadable(Alternative value) : value_(std::move(value)) {}
    const Case& value() const { return value_; }

   private:
    Case value_;
  };

  using ResumeDataHandler = std::function<void(const std::optional<platform::Data>&)>;
  // Sees the last URL request, the response and the downloaded file's URL.
  using Validation = std::function<ValidationResult(const std::optional<platform::URLRequest>&,
                                                    const std::shared_ptr<const platform::HTTPURLResponse>&,
                                                    const std::optional<platform::URL>&)>;
  template <class Value>
  using ResponseHandler = std::function<void(const DownloadResponse<Value>&)>;
  // The body serializers' shared base, for its defaults (`ResponseSerializer`
  // alone names a step of the base's serializer pipeline here).
  using Serializers = wendanet::ResponseSerializer;

  static std::shared_ptr<DownloadRequest> make(BaseFields fields, Downloadable downloadable, Destination destination);

  // Into the first of the user's standard directories of that kind, under
  // the response's suggested file name; onto the temporary file itself when
  // there is no such directory.
  static Destination suggestedDownloadDestination(
      platform::SearchPathDirectory directory = platform::SearchPathDirectory::documents,
      platform::SearchPathDomainMask domain = platform::SearchPathDomainMask::user, Options options = {});
  // Next to the temporary file, named "Wendanet_" and the temporary file's
  // name; where a download without an HTTP response lands.
  static platform::URL defaultDestinationURL(const platform::URL& temporaryURL);

  const Downloadable& downloadable() const { return downloadable_; }
  // The data kept from a cancellation that asked for it; otherwise what the
  // request's error carries.
  std::optional<platform::Data> resumeData() const;
  // Where the downloaded file was moved; absent until the move succeeded.
  std::optional<platform::URL> fileURL() const;
  // The last task's HTTP response.
  using Request::response;

  std::shared_ptr<platform::URLSessionTask> createTask(const platform::URLRequest& urlRequest,
                                                       const std::shared_ptr<platform::URLSession>& session) override;
  std::shared_ptr<platform::URLSessionTask> createTaskWithResumeData(
      const platform::Data& resumeData, const std::shared_ptr<platform::URLSession>& session) const;

  // Called by the session as the file is written: `bytesWritten` adds to
  // the completed count (a resumed download reports its offset once).
  void updateDownloadProgress(std::int64_t bytesWritten, std::int64_t totalBytesExpectedToWrite);
  // Called by the session once the task has written the whole file, which
  // exists only during the call: asks the destination handler for its place
  // (with an HTTP response; otherwise `defaultDestinationURL`), puts it
  // there as the options say and reports the outcome through
  // `didFinishDownloading`. Nothing already at the destination is replaced
  // unless the options ask for it; a destination that is not a file URL
  // with an absolute path is refused. Every failure becomes a
  // downloadedFileMoveFailed error.
  void moveDownloadedFile(const std::shared_ptr<platform::URLSessionTask>& task, const platform::URL& location,
                          const platform::FileManager& fileManager);
  // Records where the file went, or the error that kept it from getting
  // there. The task's completion finishes the request, not this.
  void didFinishDownloading(const std::shared_ptr<platform::URLSessionTask>& task, const Result<platform::URL>& result);
  // A retried attempt starts without a file and without resume data.
  void reset() override;

  // Cancels without resume data.
  DownloadRequest& cancel() override;
  // With `byProducingResumeData`, keeps the data the URL loading system
  // hands back for resuming, telling nobody.
  DownloadRequest& cancelProducingResumeData(bool byProducingResumeData);
  // Keeps the resume data and hands it to `handler`, on a queue of the URL
  // loading system's own. A request already cancelled or finished, or one
  // without a running download task, never calls it.
  DownloadRequest& cancelWithResumeDataHandler(ResumeDataHandler handler);

  // Validators run in the order added when a task completes, and only while
  // the request has a response and no error; the first failure becomes the
  // request's error (wrapped as customValidationFailed unless a WNError).
  // They look at the file's URL, never at its contents.
  DownloadRequest& validate(Validation validation);
  template <std::ranges::input_range Codes>
  requires std::integral<std::ranges::range_value_t<Codes>> DownloadRequest& validateStatusCode(Codes acceptableCodes) {
    return validate([acceptableCodes = std::move(acceptableCodes)](const auto&, const auto& response, const auto&) {
      return wendanet::validateStatusCode(acceptableCodes, *response);
    });
  }
  // A missing file fails, an empty one passes; the types are asked for each
  // time the validator runs.
  DownloadRequest& validateContentType(std::function<std::vector<std::string>()> acceptableTypes);
  // Status 200 to 299, then the types the last URL request's "Accept"
  // header admits.
  DownloadRequest& validate();

  // Response handlers. Each runs once the request has finished (at once
  // when it has already), gets the request's error as its failure, and is
  // called on `queue`. A serializer failure is first offered to the session
  // for a retry; the unserialized handler never is.
  DownloadRequest& response(std::shared_ptr<platform::DispatchQueue> queue,
                            ResponseHandler<std::optional<platform::URL>> completion);
  template <DownloadResponseSerializerProtocol Serializer>
  DownloadRequest& response(std::shared_ptr<platform::DispatchQueue> queue, Serializer serializer,
                            ResponseHandler<typename Serializer::SerializedObject> completion);
  DownloadRequest& responseURL(std::shared_ptr<platform::DispatchQueue> queue,
                               ResponseHandler<platform::URL> completion);

 private:
  DownloadRequest(BaseFields fields, Downloadable downloadable, Destination destination);

  struct DownloadMutableState {
    std::optional<platform::Data> resumeData;
    std::optional<platform::URL> fileURL;
  };

  // A serializer with its value type erased: it may throw, as serializers do.
  using SerializeDownload = std::function<AnyValue(
      const std::optional<platform::URLRequest>&, const std::shared_ptr<const platform::HTTPURLResponse>&,
      const std::optional<platform::URL>&, const std::optional<WNError>&)>;

  std::shared_ptr<DownloadRequest> self() { return std::static_pointer_cast<DownloadRequest>(shared_from_this()); }
  // The cancellation steps under the state lock; a null handler asks for no
  // resume data.
  DownloadRequest& cancelTask(ResumeDataHandler handler);
  void keepResumeData(const std::shared_ptr<platform::URLSessionTask>& task,
                      const std::optional<platform::Data>& resumeData);
  void runValidator(const Validation& validation);
  void appendSerializingResponseHandler(std::shared_ptr<platform::DispatchQueue> queue, SerializeDownload serialize,
                                        ResponseHandler<AnyValue> completion);
  void finishResponseSerialization(double serializationDuration, const Result<AnyValue>& result,
                                   std::shared_ptr<platform::DispatchQueue> queue,
                                   ResponseHandler<AnyValue> completion);
  // A response of the request as it is now.
  template <class Value>
  DownloadResponse<Value> makeResponse(double serializationDuration, Result<Value> result) const;
  // Queues `completion` with `response` once every serializer has run.
  template <class Value>
  void deliverResponse(std::shared_ptr<platform::DispatchQueue> queue, ResponseHandler<Value> completion,
                       DownloadResponse<Value> response);

  const Downloadable downloadable_;
  const Destination destination_;
  mutable Protected<DownloadMutableState> mutableDownloadState_;
};

template <DownloadResponseSerializerProtocol Serializer>
DownloadRequest& DownloadRequest::response(std::shared_ptr<platform::DispatchQueue> queue, Serializer serializer,
                                           ResponseHandler<typename Serializer::SerializedObject> completion) {
  using Value = typename Serializer::SerializedObject;
  appendSerializingResponseHandler(
      std::move(queue),
      [serializer = std::make_shared<const Serializer>(std::move(serializer))](
          const std::optional<platform::URLRequest>& request,
          const std::shared_ptr<const platform::HTTPURLResponse>& response,
          const std::optional<platform::URL>& fileURL, const std::optional<WNError>& error) {
        return AnyValue(Value(serializer->serializeDownload(request, response, fileURL, error)));
      },
      [completion = std::move(completion)](const DownloadResponse<AnyValue>& response) {
        completion(response.map([](const AnyValue& value) { return *value.get<Value>(); }));
      });
  return *this;
}

}  // namespace wendanet
