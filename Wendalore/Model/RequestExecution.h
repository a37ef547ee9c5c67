#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Platform/Foundation/Date.h"
#include "Platform/Store/PersistentModel.h"
#include "Platform/Store/Schema.h"

namespace wendalore {

// A record of one execution. Nothing creates one: the history of sends lives
// in memory (RequestHistoryItem). It is reachable from no registered model, so
// a store opened with the application's schema has no table for it; only a
// store whose schema names it can load one.
class RequestExecution final : public platform::PersistentModel {
  struct Token {
    explicit Token() = default;
  };

 public:
  static constexpr std::string_view entityName = "RequestExecution";
  static void describe(platform::Schema& schema);

  explicit RequestExecution(Token) {}

  std::string_view entity() const override { return entityName; }

  platform::Date timestamp() const { return timestamp_; }
  void setTimestamp(platform::Date timestamp) { assign("timestamp", timestamp_, timestamp); }
  const std::string& url() const { return url_; }
  void setUrl(std::string url) { assign("url", url_, std::move(url)); }
  const std::string& method() const { return method_; }
  void setMethod(std::string method) { assign("method", method_, std::move(method)); }
  const std::optional<std::string>& requestBody() const { return requestBody_; }
  void setRequestBody(std::optional<std::string> body) { assign("requestBody", requestBody_, std::move(body)); }
  int responseStatus() const { return responseStatus_; }
  void setResponseStatus(int status) { assign("responseStatus", responseStatus_, status); }
  const std::string& responseBody() const { return responseBody_; }
  void setResponseBody(std::string body) { assign("responseBody", responseBody_, std::move(body)); }
  double duration() const { return duration_; }
  void setDuration(double seconds) { assign("duration", duration_, seconds); }

 private:
  void encode(platform::RecordWriter& record) const override;
  void decode(const platform::RecordReader& record) override;
  std::vector<std::shared_ptr<platform::PersistentModel>> relatedModels() const override { return {}; }

  platform::Date timestamp_;
  std::string url_;
  std::string method_;
  std::optional<std::string> requestBody_;
  int responseStatus_ = 0;
  std::string responseBody_;
  double duration_ = 0;
};

}  // namespace wendalore
