#include "Wendalore/Model/RequestTemplate.h"

#include "Platform/Store/StoredRecord.h"
#include "Wendalore/Model/RequestFolder.h"

namespace wendalore {

void RequestTemplate::describe(platform::Schema& schema) {
  if (!schema.add({std::string(entityName), "id", [] { return std::make_shared<RequestTemplate>(Token{}); }})) return;
  RequestFolder::describe(schema);
  RequestQueryParam::describe(schema);
  RequestHeaderItem::describe(schema);
}

std::shared_ptr<RequestTemplate> RequestTemplate::make(std::string name, std::string url, std::string method,
                                                       const std::shared_ptr<RequestFolder>& folder,
                                                       std::int64_t sortOrder) {
  auto requestTemplate = std::make_shared<RequestTemplate>(Token{});
  requestTemplate->setName(std::move(name));
  requestTemplate->setURL(std::move(url));
  requestTemplate->setMethod(std::move(method));
  requestTemplate->setFolder(folder);
  requestTemplate->setCreatedAt(platform::Date::now());
  requestTemplate->setUpdatedAt(platform::Date::now());
  requestTemplate->setSortOrder(sortOrder);
  return requestTemplate;
}

// The folder is not written: it is the folder whose `templates` list this
// template (see RequestFolder::encode).
void RequestTemplate::encode(platform::RecordWriter& record) const {
  record.write("id", id_);
  record.write("name", name_);
  record.write("createdAt", createdAt_);
  record.write("updatedAt", updatedAt_);
  record.write("lastExecuted", lastExecuted_);
  record.write("sortOrder", sortOrder_);
  record.write("url", url_);
  record.write("method", method_);
  record.writeReferences("queryParams", queryParams_);
  record.writeReferences("headers", headers_);
  record.write("bodyType", std::string(rawValue(bodyType_)));
  record.write("body", body_);
  record.write("authType", std::string(rawValue(authType_)));
  record.write("authUsername", authUsername_);
  record.write("authPassword", authPassword_);
  record.write("authToken", authToken_);
  record.write("multipartFileURL", multipartFileURL_);
  record.write("multipartFieldName", multipartFieldName_);
  record.write("multipartFileName", multipartFileName_);
  record.write("multipartMimeType", multipartMimeType_);
}

namespace {

template <class Enum>
void readRawValue(const platform::RecordReader& record, std::string_view field, Enum& value) {
  std::optional<std::string> text;
  record.read(field, text);
  if (text) value = decodeRawValue<Enum>(*text, record.codingPath(field));
}

}  // namespace

void RequestTemplate::decode(const platform::RecordReader& record) {
  record.read("id", id_);
  record.read("name", name_);
  record.read("createdAt", createdAt_);
  record.read("updatedAt", updatedAt_);
  record.read("lastExecuted", lastExecuted_);
  record.read("sortOrder", sortOrder_);
  record.read("url", url_);
  record.read("method", method_);
  record.readReferences("queryParams", queryParams_);
  record.readReferences("headers", headers_);
  readRawValue(record, "bodyType", bodyType_);
  record.read("body", body_);
  readRawValue(record, "authType", authType_);
  record.read("authUsername", authUsername_);
  record.read("authPassword", authPassword_);
  record.read("authToken", authToken_);
  record.read("multipartFileURL", multipartFileURL_);
  record.read("multipartFieldName", multipartFieldName_);
  record.read("multipartFileName", multipartFileName_);
  record.read("multipartMimeType", multipartMimeType_);
}

std::vector<std::shared_ptr<platform::PersistentModel>> RequestTemplate::relatedModels() const {
  auto related = cascadedModels();
  if (auto folder = folder_.lock()) related.push_back(std::move(folder));
  return related;
}

std::vector<std::shared_ptr<platform::PersistentModel>> RequestTemplate::cascadedModels() const {
  std::vector<std::shared_ptr<platform::PersistentModel>> rows(queryParams_.begin(), queryParams_.end());
  rows.insert(rows.end(), headers_.begin(), headers_.end());
  return rows;
}

void RequestTemplate::detachFromRelatives() {
  if (auto folder = folder_.lock()) {
    folder->assign(RequestFolder::templateRelationship.membersField, folder->templates_,
                   modellist::removing(folder->templates_, this));
  }
}

}  // namespace wendalore
