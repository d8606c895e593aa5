// SQLite's connection and statements, owned: every failure becomes a
// kuv::SqliteError that names the database and says what was being done.
#ifndef KUV_SQLITE_SQLITE_HANDLES_H_
#define KUV_SQLITE_SQLITE_HANDLES_H_

#include <cstdint>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace kuv::sqlite {

class Connection {
 public:
  // Opens (or makes) the database at path for reading and writing.
  explicit Connection(const std::string& path);
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  sqlite3* get() const { return db_; }
  const std::string& path() const { return path_; }
  // Whether SQLite could open the file for reading only.
  bool read_only() const;
  // Runs statements that return nothing.
  void Execute(const char* sql, const char* doing);
  // Ends the open transaction, if any, undoing it; never throws.
  void Rollback() noexcept;
  std::int64_t LastInsertId() const;
  // Throws SqliteError: "cannot DOING PATH: SQLite's reason".
  [[noreturn]] void Fail(const char* doing) const;

 private:
  std::string path_;
  sqlite3* db_ = nullptr;
};

class Statement {
 public:
  Statement(Connection& connection, std::string_view sql);
  ~Statement();
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  // Parameters count from 1. A text bound as Kept must stay where it is
  // until the statement is reset; a Copied one is copied.
  void Null(int parameter);
  void Integer(int parameter, std::int64_t value);
  void Real(int parameter, double value);
  void Kept(int parameter, std::string_view text);
  void Copied(int parameter, std::string_view text);

  // True while it gives rows; throws SqliteError (doing what) on failure.
  bool Step(const char* doing);
  // Ready to run again, every parameter NULL.
  void Reset();

  std::int64_t IntegerAt(int column) const;
  std::string TextAt(int column) const;
  bool NullAt(int column) const;

 private:
  Connection& connection_;
  sqlite3_stmt* statement_ = nullptr;
};

}  // namespace kuv::sqlite

#endif  // KUV_SQLITE_SQLITE_HANDLES_H_
