#pragma once

#include <concepts>
#include <functional>
#include <memory>
#include <optional>
#include <ranges>
#include <string>
#include <utility>
#include <vector>

#include "Platform/Coding/JSONSerialization.h"
#include "Platform/Coding/JSONValue.h"
#include "Platform/Foundation/Data.h"
#include "Platform/Foundation/TextEncoding.h"
#include "Platform/URLLoading/URLSessionDelegate.h"
#include "Wendanet/Source/Core/ChainedRequest.h"
#include "Wendanet/Source/Core/AnyValue.h"
#include "Wendanet/Source/Core/DataResponse.h"
#include "Wendanet/Source/Support/DataResponseSerializer.h"
#include "Wendanet/Source/Support/DecodableResponseSerializer.h"
#include "Wendanet/Source/Support/JSONResponseSerializer.h"
#include "Wendanet/Source/Core/Request.h"
#include "Wendanet/Source/Support/ResponseSerializer.h"
#include "Wendanet/Source/Support/ResponseValidation.h"
#include "Wendanet/Source/Support/SerializedResponseShorthands.h"
#include "Wendanet/Source/Support/StringResponseSerializer.h"
#include "Wendanet/Source/Core/URLRequestConvertible.h"

namespace wendanet {

// A request that gathers the whole response body in memory and hands it,
// once the request has finished, to its response handlers through
// serializers. The body has its own lock, apart from the request's state
// lock and its validators' lock; no operation holds two at once.
class DataRequest : public ChainedRequest<DataRequest>, public SerializedResponseShorthands<DataRequest, DataResponse> {
 public:
  // Sees the last URL request, the response and the body gathered so far.
  using Validation = std::function<ValidationResult(const std::optional<platform::URLRequest>&,
                                                    const std::shared_ptr<const platform::HTTPURLResponse>&,
                                                    const std::optional<platform::Data>&)>;
  template <class Value>
  using ResponseHandler = std::function<void(const DataResponse<Value>&)>;
  // The body serializers' shared base, for its defaults (`ResponseSerializer`
  // alone names a step of the base's serializer pipeline here).
  using Serializers = wendanet::ResponseSerializer;

  static std::shared_ptr<DataRequest> make(BaseFields fields, std::shared_ptr<const URLRequestConvertible> convertible);

  const std::shared_ptr<const URLRequestConvertible>& convertible() const { return convertible_; }
  // Every chunk received in this attempt, in order; absent before the first.
  std::optional<platform::Data> data() const;
  // The last task's HTTP response.
  using Request::response;

  // Called by the session as bytes and the response arrive.
  void didReceiveData(const platform::Data& chunk);
  // Without a handler the response is allowed at once; with one, the
  // handler decides, and a `cancel` answer cancels the request.
  void didReceiveResponse(const std::shared_ptr<const platform::HTTPURLResponse>& response,
                          platform::ResponseCompletionHandler completion);
  // Completed: the bytes so far; total: the announced length, -1 when the
  // response gives none or has not arrived.
  void updateDownloadProgress();
  std::shared_ptr<platform::URLSessionTask> createTask(const platform::URLRequest& urlRequest,
                                                       const std::shared_ptr<platform::URLSession>& session) override;
  // A retried attempt gathers its body afresh; the response handler stays.
  void reset() override;

  // Validators run in the order added when a task completes, and only while
  // the request has a response and no error; the first failure becomes the
  // request's error (wrapped as customValidationFailed unless a WNError).
  DataRequest& validate(Validation validation);
  template <std::ranges::input_range Codes>
  requires std::integral<std::ranges::range_value_t<Codes>> DataRequest& validateStatusCode(Codes acceptableCodes) {
    return validate([acceptableCodes = std::move(acceptableCodes)](const auto&, const auto& response, const auto&) {
      return wendanet::validateStatusCode(acceptableCodes, *response);
    });
  }
  // The types are asked for each time the validator runs.
  DataRequest& validateContentType(std::function<std::vector<std::string>()> acceptableTypes);
  // Status 200 to 299, then the types the last URL request's "Accept"
  // header admits.
  DataRequest& validate();

  // Each replaces the handler stored before; it answers the response of
  // every attempt. The plain form always allows.
  DataRequest& onHTTPResponseWithDisposition(std::shared_ptr<platform::DispatchQueue> queue,
                                             HTTPResponseDispositionHandler handler);
  DataRequest& onHTTPResponse(std::shared_ptr<platform::DispatchQueue> queue, HTTPResponseHandler handler);

  // Response handlers. Each runs once the request has finished (at once
  // when it has already), gets the request's error as its failure, and is
  // called on `queue`. A serializer failure is first offered to the session
  // for a retry.
  DataRequest& response(std::shared_ptr<platform::DispatchQueue> queue,
                        ResponseHandler<std::optional<platform::Data>> completion);
  template <DataResponseSerializerProtocol Serializer>
  DataRequest& response(std::shared_ptr<platform::DispatchQueue> queue, Serializer serializer,
                        ResponseHandler<typename Serializer::SerializedObject> completion);

 protected:
  DataRequest(BaseFields fields, std::shared_ptr<const URLRequestConvertible> convertible);

 private:
  struct DataMutableState {
    std::optional<platform::Data> data;
    std::optional<QueuedHandler<HTTPResponseDispositionHandler>> httpResponseHandler;
  };

  // A serializer with its value type erased: it may throw, as serializers do.
  using SerializeBody = std::function<AnyValue(const std::optional<platform::URLRequest>&,
                                               const std::shared_ptr<const platform::HTTPURLResponse>&,
                                               const std::optional<platform::Data>&, const std::optional<WNError>&)>;

  std::shared_ptr<DataRequest> self() { return std::static_pointer_cast<DataRequest>(shared_from_this()); }
  void runValidator(const Validation& validation);
  void appendSerializingResponseHandler(std::shared_ptr<platform::DispatchQueue> queue, SerializeBody serialize,
                                        ResponseHandler<AnyValue> completion);
  void finishResponseSerialization(double serializationDuration, const Result<AnyValue>& result,
                                   std::shared_ptr<platform::DispatchQueue> queue,
                                   ResponseHandler<AnyValue> completion);
  // A response of the request as it is now.
  template <class Value>
  DataResponse<Value> makeResponse(double serializationDuration, Result<Value> result) const;
  // Queues `completion` with `response` once every serializer has run.
  template <class Value>
  void deliverResponse(std::shared_ptr<platform::DispatchQueue> queue, ResponseHandler<Value> completion,
                       DataResponse<Value> response);

  const std::shared_ptr<const URLRequestConvertible> convertible_;
  mutable Protected<DataMutableState> dataMutableState_;
};

template <DataResponseSerializerProtocol Serializer>
DataRequest& DataRequest::response(std::shared_ptr<platform::DispatchQueue> queue, Serializer serializer,
                                   ResponseHandler<typename Serializer::SerializedObject> completion) {
  using Value = typename Serializer::SerializedObject;
  appendSerializingResponseHandler(
      std::move(queue),
      [serializer = std::move(serializer)](
          const std::optional<platform::URLRequest>& request,
          const std::shared_ptr<const platform::HTTPURLResponse>& response, const std::optional<platform::Data>& data,
          const std::optional<WNError>& error) {
        return AnyValue(Value(serializer.serialize(request, response, data, error)));
      },
      [completion = std::move(completion)](const DataResponse<AnyValue>& response) {
        completion(response.map([](const AnyValue& value) { return *value.get<Value>(); }));
      });
  return *this;
}

}  // namespace wendanet
