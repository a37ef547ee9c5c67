#include "Platform/Store/SQLiteConnection.h"

#include <fmt/format.h>
#include <sqlite3.h>

#include "Platform/Store/StoreError.h"

namespace platform {

SQLiteConnection::SQLiteConnection(const std::filesystem::path& file) : file_(file) {
  const int result = sqlite3_open_v2(file.c_str(), &database_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  if (result != SQLITE_OK) {
    const std::string message = database_ ? sqlite3_errmsg(database_) : sqlite3_errstr(result);
    sqlite3_close(database_);
    database_ = nullptr;
    throw StoreError(fmt::format("The store {} could not be opened: {}", file.string(), message));
  }
  sqlite3_extended_result_codes(database_, 1);
}

SQLiteConnection::~SQLiteConnection() { sqlite3_close(database_); }

void SQLiteConnection::check(int resultCode, std::string_view doing) const {
  if (resultCode == SQLITE_OK || resultCode == SQLITE_ROW || resultCode == SQLITE_DONE) return;
  throw StoreError(fmt::format("The store {} failed while {}: {}", file_.string(), doing, sqlite3_errmsg(database_)));
}

void SQLiteConnection::execute(std::string_view sql) {
  SQLiteStatement statement(*this, sql);
  while (statement.step()) {
  }
}

std::optional<std::string> SQLiteConnection::text(std::string_view sql) {
  SQLiteStatement statement(*this, sql);
  if (!statement.step()) return std::nullopt;
  return statement.textColumn(0);
}

SQLiteStatement::SQLiteStatement(SQLiteConnection& connection, std::string_view sql) : connection_(connection) {
  connection_.check(sqlite3_prepare_v2(connection_.handle(), sql.data(), static_cast<int>(sql.size()), &statement_, nullptr),
                    fmt::format("preparing \"{}\"", sql));
}

SQLiteStatement::~SQLiteStatement() { sqlite3_finalize(statement_); }

void SQLiteStatement::bind(int index, std::int64_t value) {
  connection_.check(sqlite3_bind_int64(statement_, index, value), "binding a value");
}

void SQLiteStatement::bind(int index, std::string_view text) {
  connection_.check(sqlite3_bind_text64(statement_, index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8),
                    "binding a text");
}

void SQLiteStatement::bind(int index, const std::optional<std::string>& text) {
  if (text) {
    bind(index, std::string_view(*text));
  } else {
    connection_.check(sqlite3_bind_null(statement_, index), "binding a null");
  }
}

bool SQLiteStatement::step() {
  const int result = sqlite3_step(statement_);
  connection_.check(result, fmt::format("running \"{}\"", sqlite3_sql(statement_)));
  return result == SQLITE_ROW;
}

void SQLiteStatement::reset() {
  sqlite3_reset(statement_);
  sqlite3_clear_bindings(statement_);
}

std::int64_t SQLiteStatement::integerColumn(int index) const { return sqlite3_column_int64(statement_, index); }

std::string SQLiteStatement::textColumn(int index) const {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement_, index));
  return text ? std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(statement_, index))) : std::string();
}

}  // namespace platform
