#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Platform/Dispatch/DispatchQueue.h"
#include "Platform/Foundation/Data.h"
#include "Platform/Foundation/Date.h"
#include "Platform/Foundation/URL.h"
#include "Platform/Foundation/UUID.h"
#include "Platform/Store/ModelContext.h"
#include "Platform/Store/ObserverList.h"
#include "Wendalore/Model/RequestAuthType.h"
#include "Wendalore/Model/RequestBodyType.h"
#include "Wendalore/Model/RequestHeaderItem.h"
#include "Wendalore/Model/RequestHistoryItem.h"
#include "Wendalore/Model/RequestTemplate.h"
#include "Wendanet/Source/Core/DataResponse.h"
#include "Wendanet/Source/Core/Session.h"

namespace wendalore {

// Sends requests for the window and keeps the history of the last sends.
// One per main window; created, used and destroyed on the main thread.
// Every assignment to a published property announces itself to the
// will-change observers first, whether or not the value differs, and to the
// did-change observers afterwards with the property's name.
class RequestViewModel : public std::enable_shared_from_this<RequestViewModel> {
  struct Token {
    explicit Token() = default;
  };

 public:
  static constexpr std::size_t historyLimit = 50;

  static std::shared_ptr<RequestViewModel> make();
  explicit RequestViewModel(Token);
  RequestViewModel(const RequestViewModel&) = delete;
  RequestViewModel& operator=(const RequestViewModel&) = delete;
  ~RequestViewModel();

  const std::shared_ptr<wendanet::Session>& session() const { return session_; }

  // Set by the editor before each send; the view model itself never reads them.
  std::shared_ptr<platform::ModelContext> modelContext;
  std::shared_ptr<RequestTemplate> currentTemplate;

  bool isLoading() const { return isLoading_; }
  const std::string& responseStatus() const { return responseStatus_; }
  const std::string& responseBody() const { return *responseBody_; }
  const std::optional<std::string>& errorMessage() const { return errorMessage_; }

  // The file sent as the one part of a multipart body, and how it is named.
  // The editor fills them from the template before each send.
  const std::optional<platform::URL>& selectedFileURL() const { return selectedFileURL_; }
  void setSelectedFileURL(std::optional<platform::URL> url);
  const std::string& multipartFieldName() const { return multipartFieldName_; }
  void setMultipartFieldName(std::string name);
  const std::string& multipartFileName() const { return multipartFileName_; }
  void setMultipartFileName(std::string name);
  const std::string& multipartMimeType() const { return multipartMimeType_; }
  void setMultipartMimeType(std::string type);

  // Newest first, at most `historyLimit` entries.
  const std::vector<std::shared_ptr<RequestHistoryItem>>& requestHistory() const { return requestHistory_; }
  // A history entry to single out; nothing in the window sets or reads it
  // yet, so it stays empty.
  const std::shared_ptr<RequestHistoryItem>& selectedRequest() const { return selectedRequest_; }
  void setSelectedRequest(std::shared_ptr<RequestHistoryItem> item);

  // `notice` goes into the send's history entry.
  void sendRequest(const std::string& urlString, const std::string& method,
                   const std::vector<std::shared_ptr<RequestHeaderItem>>& headers, const std::string& body,
                   RequestBodyType bodyType, RequestAuthType authType, const std::string& username,
                   const std::string& password, const std::string& token,
                   std::optional<std::string> notice = std::nullopt);

  // What the completion of a send does, on the main thread: `sentAt` is when
  // the send of history entry `entryId` started. The body is formatted on a
  // background queue; the outcome is applied on the main queue afterwards,
  // in the order the responses arrived.
  void completeRequest(const platform::UUID& entryId, platform::Date sentAt,
                       const wendanet::DataResponse<platform::Data>& response);

  [[nodiscard]] platform::ObservationToken observeWillChange(std::function<void()> observer) const {
    return willChange_.add(std::move(observer));
  }
  [[nodiscard]] platform::ObservationToken observeDidChange(std::function<void(std::string_view property)> observer) const {
    return didChange_.add(std::move(observer));
  }

 private:
  using Response = wendanet::DataResponse<platform::Data>;

  // Announces the change of `property` around storing `value` into `member`.
  template <class Value>
  void publish(std::string_view property, Value& member, Value value) {
    willChange_.notify();
    member = std::move(value);
    didChange_.notify(property);
  }
  void announceHistoryChange();

  // Step by step, as a send and its response go; a send stopped before
  // anything went out is refused, and its entry ends at once.
  void refuse(std::shared_ptr<RequestHistoryItem> entry, std::string reason);
  void addToHistory(std::shared_ptr<RequestHistoryItem> item);
  void performRequest(wendanet::DataRequest& request, platform::Date sentAt, const platform::UUID& entryId);
  wendanet::DataRequest::ResponseHandler<platform::Data> completion(platform::Date sentAt,
                                                                    const platform::UUID& entryId);
  using SharedText = std::shared_ptr<const std::string>;
  void applyResponse(const platform::UUID& entryId, double elapsed, const Response& response, const SharedText& body);
  void updateResponseDisplay(const Response& response, const SharedText& body);
  static std::optional<std::string> sendFailure(const Response& response);
  std::shared_ptr<wendanet::MultipartFormData> multipartForm(const std::optional<platform::Data>& fileBytes) const;
  SentForm sentForm(const wendanet::MultipartFormData& form, const std::optional<platform::Data>& fileBytes) const;
  void updateHistoryItem(const platform::UUID& entryId, double elapsed, const Response& response,
                         const SharedText& body);

  std::shared_ptr<wendanet::Session> session_;
  // The most a body may take in memory in the session; pretty text is
  // bounded by it too.
  std::size_t bodyLimit_;
  // Serial, so that bodies come back to the main queue in arrival order.
  std::shared_ptr<platform::DispatchQueue> formattingQueue_;
  bool isLoading_ = false;
  std::string responseStatus_ = "Ready";
  // Shared with the history entry it came with.
  SharedText responseBody_ = std::make_shared<const std::string>();
  std::optional<std::string> errorMessage_;
  std::optional<platform::URL> selectedFileURL_;
  std::string multipartFieldName_ = "file";
  std::string multipartFileName_ = "upload.bin";
  std::string multipartMimeType_ = "application/octet-stream";
  std::vector<std::shared_ptr<RequestHistoryItem>> requestHistory_;
  std::shared_ptr<RequestHistoryItem> selectedRequest_;
  platform::ObserverList<> willChange_;
  platform::ObserverList<std::string_view> didChange_;
};

}  // namespace wendalore
