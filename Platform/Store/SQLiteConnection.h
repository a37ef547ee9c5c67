#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace platform {

class SQLiteConnection;

// One prepared statement; every failure throws StoreError with SQLite's
// message.
class SQLiteStatement {
 public:
  SQLiteStatement(SQLiteConnection& connection, std::string_view sql);
  SQLiteStatement(const SQLiteStatement&) = delete;
  SQLiteStatement& operator=(const SQLiteStatement&) = delete;
  ~SQLiteStatement();

  // Parameters count from 1.
  void bind(int index, std::int64_t value);
  void bind(int index, std::string_view text);
  void bind(int index, const std::optional<std::string>& text);
  // True while there is a row to read.
  bool step();
  // Makes the statement ready to run again with new parameters.
  void reset();

  std::int64_t integerColumn(int index) const;
  std::string textColumn(int index) const;

 private:
  SQLiteConnection& connection_;
  sqlite3_stmt* statement_ = nullptr;
};

// An open SQLite database file.
class SQLiteConnection {
 public:
  // Opens or creates the file. Throws StoreError.
  explicit SQLiteConnection(const std::filesystem::path& file);
  SQLiteConnection(const SQLiteConnection&) = delete;
  SQLiteConnection& operator=(const SQLiteConnection&) = delete;
  ~SQLiteConnection();

  void execute(std::string_view sql);
  // The first column of the first row, if there is one.
  std::optional<std::string> text(std::string_view sql);

  // Throws StoreError for a result code that is an error, naming `doing`.
  void check(int resultCode, std::string_view doing) const;
  sqlite3* handle() const { return database_; }

 private:
  std::filesystem::path file_;
  sqlite3* database_ = nullptr;
};

}  // namespace platform
