#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Platform/Foundation/Date.h"
#include "Platform/Foundation/UUID.h"
#include "Platform/Store/PersistentModel.h"
#include "Platform/Store/Schema.h"
#include "Wendalore/Model/ModelList.h"
#include "Wendalore/Model/RequestAuthType.h"
#include "Wendalore/Model/RequestBodyType.h"
#include "Wendalore/Model/RequestHeaderItem.h"
#include "Wendalore/Model/RequestQueryParam.h"

namespace wendalore {

class RequestFolder;

// A saved request. Its header and query-parameter rows belong to it and are
// deleted with it; their lists keep the order they are given in.
class RequestTemplate final : public platform::PersistentModel {
  struct Token {
    explicit Token() = default;
  };

 public:
  static constexpr std::string_view entityName = "RequestTemplate";
  static void describe(platform::Schema& schema);

  // Not yet in any store: the caller inserts it.
  static std::shared_ptr<RequestTemplate> make(std::string name, std::string url, std::string method,
                                               const std::shared_ptr<RequestFolder>& folder, std::int64_t sortOrder);
  explicit RequestTemplate(Token) {}

  std::string_view entity() const override { return entityName; }

  const platform::UUID& id() const { return id_; }
  void setId(platform::UUID id) { assign("id", id_, id); }
  const std::string& name() const { return name_; }
  void setName(std::string name) { assign("name", name_, std::move(name)); }
  platform::Date createdAt() const { return createdAt_; }
  void setCreatedAt(platform::Date date) { assign("createdAt", createdAt_, date); }
  platform::Date updatedAt() const { return updatedAt_; }
  void setUpdatedAt(platform::Date date) { assign("updatedAt", updatedAt_, date); }
  const std::optional<platform::Date>& lastExecuted() const { return lastExecuted_; }
  void setLastExecuted(std::optional<platform::Date> date) { assign("lastExecuted", lastExecuted_, date); }
  std::int64_t sortOrder() const { return sortOrder_; }
  void setSortOrder(std::int64_t order) { assign("sortOrder", sortOrder_, order); }
  std::shared_ptr<RequestFolder> folder() const { return folder_.lock(); }
  void setFolder(const std::shared_ptr<RequestFolder>& folder);
  const std::string& url() const { return url_; }
  void setURL(std::string url) { assign("url", url_, std::move(url)); }
  const std::string& method() const { return method_; }
  void setMethod(std::string method) { assign("method", method_, std::move(method)); }
  const ModelList<RequestQueryParam>& queryParams() const { return queryParams_; }
  void setQueryParams(ModelList<RequestQueryParam> params) { assign("queryParams", queryParams_, std::move(params)); }
  const ModelList<RequestHeaderItem>& headers() const { return headers_; }
  void setHeaders(ModelList<RequestHeaderItem> headers) { assign("headers", headers_, std::move(headers)); }
  RequestBodyType bodyType() const { return bodyType_; }
  void setBodyType(RequestBodyType type) { assign("bodyType", bodyType_, type); }
  const std::string& body() const { return body_; }
  void setBody(std::string body) { assign("body", body_, std::move(body)); }
  RequestAuthType authType() const { return authType_; }
  void setAuthType(RequestAuthType type) { assign("authType", authType_, type); }
  const std::string& authUsername() const { return authUsername_; }
  void setAuthUsername(std::string text) { assign("authUsername", authUsername_, std::move(text)); }
  const std::string& authPassword() const { return authPassword_; }
  void setAuthPassword(std::string text) { assign("authPassword", authPassword_, std::move(text)); }
  const std::string& authToken() const { return authToken_; }
  void setAuthToken(std::string text) { assign("authToken", authToken_, std::move(text)); }
  const std::optional<std::string>& multipartFileURL() const { return multipartFileURL_; }
  void setMultipartFileURL(std::optional<std::string> text) { assign("multipartFileURL", multipartFileURL_, std::move(text)); }
  const std::string& multipartFieldName() const { return multipartFieldName_; }
  void setMultipartFieldName(std::string text) { assign("multipartFieldName", multipartFieldName_, std::move(text)); }
  const std::string& multipartFileName() const { return multipartFileName_; }
  void setMultipartFileName(std::string text) { assign("multipartFileName", multipartFileName_, std::move(text)); }
  const std::string& multipartMimeType() const { return multipartMimeType_; }
  void setMultipartMimeType(std::string text) { assign("multipartMimeType", multipartMimeType_, std::move(text)); }

 private:
  friend class RequestFolder;

  void encode(platform::RecordWriter& record) const override;
  void decode(const platform::RecordReader& record) override;
  std::vector<std::shared_ptr<platform::PersistentModel>> relatedModels() const override;
  std::vector<std::shared_ptr<platform::PersistentModel>> cascadedModels() const override;
  void detachFromRelatives() override;

  platform::UUID id_;
  std::string name_;
  platform::Date createdAt_;
  platform::Date updatedAt_;
  std::optional<platform::Date> lastExecuted_;
  std::int64_t sortOrder_ = 0;
  std::weak_ptr<RequestFolder> folder_;
  std::string url_;
  std::string method_;
  ModelList<RequestQueryParam> queryParams_;
  ModelList<RequestHeaderItem> headers_;
  RequestBodyType bodyType_ = RequestBodyType::none;
  std::string body_;
  RequestAuthType authType_ = RequestAuthType::none;
  std::string authUsername_;
  std::string authPassword_;
  std::string authToken_;
  std::optional<std::string> multipartFileURL_;
  std::string multipartFieldName_ = "file";
  std::string multipartFileName_ = "upload.bin";
  std::string multipartMimeType_ = "application/octet-stream";
};

}  // namespace wendalore
