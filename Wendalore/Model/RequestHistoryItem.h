#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "Platform/Foundation/Date.h"
#include "Platform/Foundation/UUID.h"
#include "Platform/Store/ObserverList.h"
#include "Platform/URLLoading/URLSessionTaskMetrics.h"
#include "Wendalore/Model/SentForm.h"

namespace wendalore {

// Header names to values; names are unique as written.
using HeaderDictionary = std::map<std::string, std::string>;

// One send of a request, kept in memory only: what was sent, and once the
// answer is in, what came back. Created pending; the fields that arrive with
// the response tell their observers when they change to another value. Two
// records are equal when their ids are. Used on the main thread only.
class RequestHistoryItem {
  struct Token {
    explicit Token() = default;
  };

 public:
  static std::shared_ptr<RequestHistoryItem> make(platform::Date timestamp, std::string method, std::string url,
                                                  HeaderDictionary requestHeaders,
                                                  std::optional<std::string> requestBody, bool bodyWasSent = false);
  RequestHistoryItem(Token, platform::Date timestamp, std::string method, std::string url,
                     HeaderDictionary requestHeaders, std::optional<std::string> requestBody, bool bodyWasSent);
  RequestHistoryItem(const RequestHistoryItem&) = delete;
  RequestHistoryItem& operator=(const RequestHistoryItem&) = delete;

  const platform::UUID& id() const { return id_; }
  platform::Date timestamp() const { return timestamp_; }
  const std::string& method() const { return method_; }
  const std::string& url() const { return url_; }
  const HeaderDictionary& requestHeaders() const { return requestHeaders_; }
  // The body as typed, kept also when the request went out without it.
  const std::optional<std::string>& requestBody() const { return requestBody_; }
  // Whether the request carried a body: the typed text for form, raw and
  // JSON bodies (raw and JSON only with POST, PUT or PATCH), the encoded form
  // for multipart bodies, never without a body nor with a HEAD.
  bool bodyWasSent() const { return bodyWasSent_; }
  // The Content-Type the send supplied itself rather than took from a row:
  // the body kind's own when no row chose one, a form's always. None when
  // the rows decided it or the send set none.
  const std::optional<std::string>& suppliedContentType() const { return suppliedContentType_; }
  // The form a multipart send carried; its body text stayed home.
  const std::optional<SentForm>& sentForm() const { return sentForm_; }
  // The Content-Length the request went out with, whatever a row said:
  // the length of the body it carried. None when it went out without one.
  std::optional<std::uint64_t> sentContentLength() const { return sentContentLength_; }
  // What the send put on the wire beside the recorded values, told once as
  // the record is made.
  void setSentContent(std::optional<std::string> suppliedContentType, std::optional<SentForm> form,
                      std::optional<std::uint64_t> contentLength = std::nullopt) {
    suppliedContentType_ = std::move(suppliedContentType);
    sentForm_ = std::move(form);
    sentContentLength_ = contentLength;
  }
  // What the user must know of how the send was made, such as a body other
  // than the one the editor showed; none for an ordinary send. Told once as
  // the record is made.
  const std::optional<std::string>& notice() const { return notice_; }
  void setNotice(std::optional<std::string> notice) { notice_ = std::move(notice); }

  int statusCode() const { return statusCode_; }
  void setStatusCode(int code) { update("statusCode", statusCode_, code); }
  double duration() const { return duration_; }
  void setDuration(double seconds) { update("duration", duration_, seconds); }
  const HeaderDictionary& responseHeaders() const { return responseHeaders_; }
  void setResponseHeaders(HeaderDictionary headers) { update("responseHeaders", responseHeaders_, std::move(headers)); }
  const std::string& responseBody() const { return *responseBody_; }
  // The body as text that never changes: a new body replaces it whole, so
  // views can keep it without a copy of their own.
  const std::shared_ptr<const std::string>& sharedResponseBody() const { return responseBody_; }
  void setResponseBody(std::string body) { setResponseBody(std::make_shared<const std::string>(std::move(body))); }
  // Shares the text with whoever else holds it: a large body stays one copy.
  void setResponseBody(std::shared_ptr<const std::string> body) {
    if (*responseBody_ == *body) return;
    responseBody_ = std::move(body);
    observers_.notify("responseBody");
  }
  // Shared with the response it came from; two are equal when they are the
  // same object.
  const std::shared_ptr<const platform::URLSessionTaskMetrics>& metrics() const { return metrics_; }
  void setMetrics(std::shared_ptr<const platform::URLSessionTaskMetrics> metrics) {
    update("metrics", metrics_, std::move(metrics));
  }
  // Why the send failed, once it did: also when a status line had come
  // first, whose code `statusCode` keeps.
  const std::optional<std::string>& error() const { return error_; }
  void setError(std::optional<std::string> error) { update("error", error_, std::move(error)); }
  bool isPending() const { return isPending_; }
  void setIsPending(bool pending) { update("isPending", isPending_, pending); }

  // Calls `observer` with the field's name after a field took a new value.
  [[nodiscard]] platform::ObservationToken observe(std::function<void(std::string_view field)> observer) const {
    return observers_.add(std::move(observer));
  }

  // The highlighter's language for the response body, from its content type.
  std::string responseLanguage() const;

  friend bool operator==(const RequestHistoryItem& left, const RequestHistoryItem& right) {
    return left.id_ == right.id_;
  }

 private:
  template <class Value>
  void update(std::string_view field, Value& member, Value value) {
    if (member == value) return;
    member = std::move(value);
    observers_.notify(field);
  }

  platform::UUID id_;
  platform::Date timestamp_;
  std::string method_;
  std::string url_;
  int statusCode_ = 0;
  double duration_ = 0;
  HeaderDictionary requestHeaders_;
  HeaderDictionary responseHeaders_;
  std::optional<std::string> requestBody_;
  bool bodyWasSent_;
  std::optional<std::string> suppliedContentType_;
  std::optional<SentForm> sentForm_;
  std::optional<std::uint64_t> sentContentLength_;
  std::optional<std::string> notice_;
  std::shared_ptr<const std::string> responseBody_ = std::make_shared<const std::string>();
  std::shared_ptr<const platform::URLSessionTaskMetrics> metrics_;
  std::optional<std::string> error_;
  bool isPending_ = true;
  platform::ObserverList<std::string_view> observers_;
};

}  // namespace wendalore

template <>
struct std::hash<wendalore::RequestHistoryItem> {
  std::size_t operator()(const wendalore::RequestHistoryItem& item) const {
    return std::hash<platform::UUID>{}(item.id());
  }
};
