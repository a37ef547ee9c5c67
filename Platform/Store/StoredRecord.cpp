#include "Platform/Store/StoredRecord.h"

#include <fmt/format.h>

#include "Platform/Fatal.h"
#include "Platform/Store/StoreError.h"

namespace platform {

std::int64_t RecordWriter::rowOf(const PersistentModel& model) {
  // The context inserts every object reachable from a saved one before it
  // writes any of them, so a missing row is a fault of the store itself.
  if (model.primaryKey_ == 0) fatal(fmt::format("A stored {} refers to an object the store does not hold", model.entity()));
  return model.primaryKey_;
}

const nlohmann::json* RecordReader::find(std::string_view field) const {
  if (!document_.is_object()) return nullptr;
  auto found = document_.find(std::string(field));
  return found == document_.end() ? nullptr : &*found;
}

void RecordReader::throwWrongType(std::string_view field, std::string_view expected) const {
  throw StoreError(fmt::format("The field \"{}\" of {} is not {}", field, name_, expected));
}

}  // namespace platform
