#include "Platform/Store/StoreFile.h"

#include <fmt/format.h>

#include <system_error>

#include "Platform/Store/StoreError.h"

namespace platform {
namespace {

constexpr std::string_view storeFormat = "1";

std::string tableName(std::string_view identifier) { return fmt::format("\"{}\"", identifier); }

// Runs `work` inside one transaction, rolling back when it throws.
template <class Work>
void inTransaction(SQLiteConnection& connection, Work&& work) {
  connection.execute("BEGIN IMMEDIATE");
  try {
    work();
    connection.execute("COMMIT");
  } catch (...) {
    try {
      connection.execute("ROLLBACK");
    } catch (const StoreError&) {
      // SQLite has already rolled back on its own.
    }
    throw;
  }
}

template <class Work>
auto asExpected(Work&& work) -> std::expected<decltype(work()), AnyError> {
  try {
    if constexpr (std::is_void_v<decltype(work())>) {
      work();
      return {};
    } else {
      return work();
    }
  } catch (const StoreError& error) {
    return std::unexpected(error.clone());
  }
}

}  // namespace

StoreFile::StoreFile(std::filesystem::path path, Schema schema) : path_(std::move(path)), schema_(std::move(schema)) {}

std::expected<std::shared_ptr<StoreFile>, AnyError> StoreFile::open(const std::filesystem::path& file,
                                                                    const Schema& schema) {
  std::error_code error;
  if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path(), error);
  if (error) {
    return std::unexpected(makeError(StoreError(
        fmt::format("The folder {} could not be created: {}", file.parent_path().string(), error.message()))));
  }
  auto store = std::make_shared<StoreFile>(file, schema);
  return asExpected([&] {
    store->prepare();
    return store;
  });
}

void StoreFile::prepare() {
  connection_ = std::make_unique<SQLiteConnection>(path_);
  connection_->execute("PRAGMA busy_timeout = 2000");
  if (connection_->text("PRAGMA journal_mode = WAL") != "wal") {
    throw StoreError(fmt::format("The store {} cannot keep a write-ahead log", path_.string()));
  }
  connection_->execute("PRAGMA synchronous = FULL");

  inTransaction(*connection_, [&] {
    const bool hasTables = connection_->text("SELECT name FROM sqlite_schema WHERE type = 'table' LIMIT 1").has_value();
    const bool hasMetadata =
        connection_->text("SELECT name FROM sqlite_schema WHERE type = 'table' AND name = 'StoreMetadata'").has_value();
    if (hasTables && !hasMetadata) {
      throw StoreError(fmt::format("The file {} holds a database that is not a store of this application", path_.string()));
    }
    if (hasMetadata) {
      const auto format = connection_->text("SELECT value FROM StoreMetadata WHERE key = 'format'");
      if (format != storeFormat) {
        throw StoreError(fmt::format("The store {} has the format {}, which this version cannot read", path_.string(),
                                     format.value_or("(none)")));
      }
    } else {
      connection_->execute("CREATE TABLE StoreMetadata (key TEXT PRIMARY KEY, value TEXT NOT NULL)");
      connection_->execute(fmt::format("INSERT INTO StoreMetadata VALUES ('format', '{}')", storeFormat));
    }
    for (const auto& entity : schema_.entities()) {
      connection_->execute(
          fmt::format("CREATE TABLE IF NOT EXISTS {} (pk INTEGER PRIMARY KEY, uniqueValue TEXT UNIQUE, document TEXT NOT NULL)",
                      tableName(entity.name)));
      SQLiteStatement largest(*connection_, fmt::format("SELECT coalesce(max(pk), 0) FROM {}", tableName(entity.name)));
      largest.step();
      nextKeys_[entity.name] = largest.integerColumn(0) + 1;
    }
  });
}

std::expected<std::vector<StoreFile::Row>, AnyError> StoreFile::rows(std::string_view entity) {
  return asExpected([&] {
    std::vector<Row> rows;
    SQLiteStatement statement(*connection_, fmt::format("SELECT pk, document FROM {} ORDER BY pk", tableName(entity)));
    while (statement.step()) rows.push_back({statement.integerColumn(0), statement.textColumn(1)});
    return rows;
  });
}

std::int64_t StoreFile::allocateKey(std::string_view entity) {
  auto found = nextKeys_.find(entity);
  if (found == nextKeys_.end()) found = nextKeys_.emplace(std::string(entity), 1).first;
  return found->second++;
}

std::expected<void, AnyError> StoreFile::apply(const std::vector<Change>& changes) {
  return asExpected([&] {
    inTransaction(*connection_, [&] {
      // Deletions first, so that an object may take over the unique value of
      // one deleted in the same save.
      for (const auto& change : changes) {
        if (change.document) continue;
        SQLiteStatement statement(*connection_, fmt::format("DELETE FROM {} WHERE pk = ?", tableName(change.entity)));
        statement.bind(1, change.key);
        statement.step();
      }
      for (const auto& change : changes) {
        if (!change.document) continue;
        SQLiteStatement statement(
            *connection_, fmt::format("INSERT INTO {} (pk, uniqueValue, document) VALUES (?, ?, ?) "
                                      "ON CONFLICT (pk) DO UPDATE SET uniqueValue = excluded.uniqueValue, "
                                      "document = excluded.document",
                                      tableName(change.entity)));
        statement.bind(1, change.key);
        statement.bind(2, change.uniqueValue);
        statement.bind(3, std::string_view(*change.document));
        statement.step();
      }
    });
  });
}

}  // namespace platform
