#pragma once

#include <cstdint>
#include <expected>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Platform/Foundation/Error.h"
#include "Platform/Store/SQLiteConnection.h"
#include "Platform/Store/Schema.h"
#include "Platform/Store/StoreLock.h"

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
// instead of being written into. The file is checked, and every row read,
// before anything is written, even its journal mode, so a refused file stays
// byte for byte as it was. The file runs in WAL mode
// with full syncs, and every save is one transaction, so a crash leaves
// either the last save or the one before it. A store file is used by one
// StoreFile at a time (see StoreLock.h).
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
    // A row the file does not hold yet.
    bool isNew = false;
  };

  // Reads the store before it is written: may fail to refuse it.
  using Inspection = std::function<std::expected<void, AnyError>(const std::shared_ptr<StoreFile>&)>;

  // Creates the file and its folder when they are missing. A file that is
  // not such a store, or that this user may not write, is refused; so is one
  // `inspect` fails for, which runs before anything is written. What a
  // refusal created (the file, SQLite's companions of it) is removed again,
  // and only that.
  static std::expected<std::shared_ptr<StoreFile>, AnyError> open(const std::filesystem::path& file, const Schema& schema,
                                                                  const Inspection& inspect = nullptr);

  const std::filesystem::path& path() const { return path_; }
  const Schema& schema() const { return schema_; }

  // Every row of the entity in row order; none while its table is not made.
  std::expected<std::vector<Row>, AnyError> rows(std::string_view entity);
  // A row number no object of the entity has had in this file. The counter
  // is this object's own, which is sound because the lock keeps every other
  // writer out of the file.
  std::int64_t allocateKey(std::string_view entity);
  // All of them or, after a failure, none: the file stays as it was. A row
  // that is `new` must not exist yet and one that is not must exist, else
  // the save fails rather than overwrite or lose a row.
  std::expected<void, AnyError> apply(const std::vector<Change>& changes);

  StoreFile(std::filesystem::path path, Schema schema, StoreLock lock);

 private:
  // True when the file holds no store yet. Throws StoreError for a file that
  // must be refused, having written nothing.
  bool checkFormat();
  void checkWritable() const;
  void connect();
  void prepareForWriting(bool isNew);
  void write(const Change& change);

  std::filesystem::path path_;
  Schema schema_;
  // Declared before the connection, so it is released after it closes.
  StoreLock lock_;
  std::unique_ptr<SQLiteConnection> connection_;
  std::map<std::string, std::int64_t, std::less<>> nextKeys_;
};

}  // namespace platform
