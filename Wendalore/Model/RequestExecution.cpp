#include "Wendalore/Model/RequestExecution.h"

#include "Platform/Store/StoredRecord.h"

namespace wendalore {

void RequestExecution::describe(platform::Schema& schema) {
  schema.add({std::string(entityName), std::nullopt, [] { return std::make_shared<RequestExecution>(Token{}); }});
}

void RequestExecution::encode(platform::RecordWriter& record) const {
  record.write("timestamp", timestamp_);
  record.write("url", url_);
  record.write("method", method_);
  record.write("requestBody", requestBody_);
  record.write("responseStatus", responseStatus_);
  record.write("responseBody", responseBody_);
  record.write("duration", duration_);
}

void RequestExecution::decode(const platform::RecordReader& record) {
  record.read("timestamp", timestamp_);
  record.read("url", url_);
  record.read("method", method_);
  record.read("requestBody", requestBody_);
  record.read("responseStatus", responseStatus_);
  record.read("responseBody", responseBody_);
  record.read("duration", duration_);
}

}  // namespace wendalore
