#pragma once

#include <cstdint>
#include <expected>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Platform/Foundation/Error.h"
#include "Platform/Store/SQLiteConnection.h"
#include "Platform/Store/Schema.h"

namespace platform {

// The SQLite file behind a model container.
//
// Each entity has a table of its own holding one JSON document per object
// (see StoredRecord.h): the row number is the object's permanent identity, a
// UNIQUE column carries the value of the entity's unique field, and the
// document carries the fields. Documents rather than typed columns keep the
// file readable across versions of the models: a field a document lacks
// takes its initial value, and fields a document has that the models do not
// know are kept when the object is written again. A table StoreMetadata
// names the format, so that a file that is not such a store is refused
// instead of being written into. The file runs in WAL mode with full syncs,
// and every save is one transaction, so a crash leaves either the last save
// or the one before it.
class StoreFile {
 public:
  struct Row {
    std::int64_t key;
    std::string document;
  };
  // A document written to a row, or with no document, the row deleted.
  struct Change {
    std::string entity;
    std::int64_t key;
    std::optional<std::string> document;
    std::optional<std::string> uniqueValue;
  };

  // Creates the file and its folder when they are missing.
  static std::expected<std::shared_ptr<StoreFile>, AnyError> open(const std::filesystem::path& file, const Schema& schema);

  const std::filesystem::path& path() const { return path_; }
  const Schema& schema() const { return schema_; }

  // Every row of the entity in row order.
  std::expected<std::vector<Row>, AnyError> rows(std::string_view entity);
  // A row number no object of the entity has had in this file.
  std::int64_t allocateKey(std::string_view entity);
  // All of them or, after a failure, none: the file stays as it was.
  std::expected<void, AnyError> apply(const std::vector<Change>& changes);

  StoreFile(std::filesystem::path path, Schema schema);

 private:
  void prepare();

  std::filesystem::path path_;
  Schema schema_;
  std::unique_ptr<SQLiteConnection> connection_;
  std::map<std::string, std::int64_t, std::less<>> nextKeys_;
};

}  // namespace platform
