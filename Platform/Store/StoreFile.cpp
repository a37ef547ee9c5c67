#include "Platform/Store/StoreFile.h"

#include <fmt/format.h>
#include <sqlite3.h>

#include <unistd.h>

#include <cerrno>
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

// The store file and SQLite's companions of it that do not exist yet: a
// refused store removes these, and keeps a log or journal it found, which
// may hold the last saves.
std::vector<std::filesystem::path> missingFiles(const std::filesystem::path& file) {
  std::vector<std::filesystem::path> missing;
  for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
    auto path = file;
    path += suffix;
    std::error_code ignored;
    if (!std::filesystem::exists(std::filesystem::symlink_status(path, ignored))) missing.push_back(std::move(path));
  }
  return missing;
}

// Why this user may not write `path`, if they may not.
std::optional<std::string> writeRefusal(const std::filesystem::path& path) {
  if (::access(path.c_str(), W_OK) == 0) return std::nullopt;
  return std::generic_category().message(errno);
}

}  // namespace

StoreFile::StoreFile(std::filesystem::path path, Schema schema, StoreLock lock)
    : path_(std::move(path)), schema_(std::move(schema)), lock_(std::move(lock)) {}

std::expected<std::shared_ptr<StoreFile>, AnyError> StoreFile::open(const std::filesystem::path& file,
                                                                    const Schema& schema, const Inspection& inspect) {
  std::error_code error;
  if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path(), error);
  if (error) {
    return std::unexpected(makeError(StoreError(
        fmt::format("The folder {} could not be created: {}", file.parent_path().string(), error.message()))));
  }
  auto lock = StoreLock::acquire(file);
  if (!lock) return std::unexpected(lock.error());
  const auto missing = missingFiles(file);
  auto store = std::make_shared<StoreFile>(file, schema, std::move(*lock));
  auto isNew = asExpected([&] {
    store->connect();
    return store->checkFormat();
  });
  std::expected<void, AnyError> prepared;
  if (!isNew) {
    prepared = std::unexpected(isNew.error());
  } else if (inspect) {
    prepared = inspect(store);
  }
  if (prepared) prepared = asExpected([&] { store->prepareForWriting(*isNew); });
  if (!prepared) {
    store->connection_.reset();
    for (const auto& path : missing) std::filesystem::remove(path, error);
    store->lock_.abandon();
    return std::unexpected(prepared.error());
  }
  return store;
}

bool StoreFile::checkFormat() {
  // A read transaction, so the file is looked at before anything, even its
  // journal mode, is changed.
  connection_->execute("BEGIN");
  const auto table = [&](std::string_view condition) {
    return connection_->text(fmt::format("SELECT name FROM sqlite_schema WHERE type = 'table'{} LIMIT 1", condition));
  };
  const bool hasTables = table("").has_value();
  const bool hasMetadata = table(" AND name = 'StoreMetadata'").has_value();
  const auto format = hasMetadata ? connection_->text("SELECT value FROM StoreMetadata WHERE key = 'format'") : std::nullopt;
  connection_->execute("COMMIT");
  if (hasTables && !hasMetadata) {
    throw StoreError(fmt::format("The file {} holds a database that is not a store of this application", path_.string()));
  }
  if (hasMetadata && format != storeFormat) {
    throw StoreError(fmt::format("The store {} has the format {}, which this version cannot read", path_.string(),
                                 format.value_or("(none)")));
  }
  return !hasMetadata;
}

void StoreFile::connect() {
  connection_ = std::make_unique<SQLiteConnection>(path_);
  connection_->execute("PRAGMA busy_timeout = 2000");
  checkWritable();
}

// SQLite opens a file it may not write for reading only, without a word:
// every save would then fail.
void StoreFile::checkWritable() const {
  if (sqlite3_db_readonly(connection_->handle(), "main") == 1) {
    throw StoreError(fmt::format("The store {} cannot be written: {}", path_.string(),
                                 writeRefusal(path_).value_or("it is open for reading only")));
  }
  // The write-ahead log and its index are made beside the file.
  const auto folder = path_.has_parent_path() ? path_.parent_path() : std::filesystem::path(".");
  if (auto refusal = writeRefusal(folder)) {
    throw StoreError(fmt::format("The folder {} of the store cannot be written: {}", folder.string(), *refusal));
  }
}

void StoreFile::prepareForWriting(bool isNew) {
  if (connection_->text("PRAGMA journal_mode = WAL") != "wal") {
    throw StoreError(fmt::format("The store {} cannot keep a write-ahead log", path_.string()));
  }
  connection_->execute("PRAGMA synchronous = FULL");

  inTransaction(*connection_, [&] {
    if (isNew) {
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
    SQLiteStatement exists(*connection_, "SELECT 1 FROM sqlite_schema WHERE type = 'table' AND name = ?");
    exists.bind(1, entity);
    if (!exists.step()) return rows;
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

void StoreFile::write(const Change& change) {
  const auto table = tableName(change.entity);
  if (!change.document) {
    SQLiteStatement statement(*connection_, fmt::format("DELETE FROM {} WHERE pk = ?", table));
    statement.bind(1, change.key);
    statement.step();
    return;
  }
  // A plain INSERT: a row that is already there fails the save instead of
  // being overwritten.
  SQLiteStatement statement(*connection_, change.isNew
                                              ? fmt::format("INSERT INTO {} (uniqueValue, document, pk) VALUES (?, ?, ?)", table)
                                              : fmt::format("UPDATE {} SET uniqueValue = ?, document = ? WHERE pk = ?", table));
  statement.bind(1, change.uniqueValue);
  statement.bind(2, std::string_view(*change.document));
  statement.bind(3, change.key);
  statement.step();
  if (!change.isNew && sqlite3_changes(connection_->handle()) != 1) {
    throw StoreError(fmt::format("{} row {} of the store {} is gone, so the change to it could not be saved", change.entity,
                                 change.key, path_.string()));
  }
}

std::expected<void, AnyError> StoreFile::apply(const std::vector<Change>& changes) {
  return asExpected([&] {
    inTransaction(*connection_, [&] {
      // Deletions first, so that an object may take over the unique value of
      // one deleted in the same save.
      for (const auto& change : changes) {
        if (!change.document) write(change);
      }
      for (const auto& change : changes) {
        if (change.document) write(change);
      }
    });
  });
}

}  // namespace platform
