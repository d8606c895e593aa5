#include "sqlite/sqlite_handles.h"

#include <sqlite3.h>

#include "kuv/sqlite.hpp"

namespace kuv {

SqliteError::SqliteError(const std::string& what) : std::runtime_error(what) {}

namespace sqlite {

Connection::Connection(const std::string& path) : path_(path) {
  // One thread at a time uses a connection: SQLite need not lock for it.
  const int opened =
      sqlite3_open_v2(path.c_str(), &db_,
                      SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
  if (opened != SQLITE_OK) {
    // The handle holds the reason even when opening failed.
    const std::string why = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(opened);
    sqlite3_close(db_);
    db_ = nullptr;
    throw SqliteError("cannot open " + path + ": " + why);
  }
  sqlite3_extended_result_codes(db_, 1);
  // Another program reading the archive holds it only briefly.
  sqlite3_busy_timeout(db_, 10000);
}

Connection::~Connection() { sqlite3_close_v2(db_); }

bool Connection::read_only() const { return sqlite3_db_readonly(db_, "main") == 1; }

void Connection::Execute(const char* sql, const char* doing) {
  if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK) Fail(doing);
}

void Connection::Rollback() noexcept {
  if (!sqlite3_get_autocommit(db_)) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

std::int64_t Connection::LastInsertId() const { return sqlite3_last_insert_rowid(db_); }

void Connection::Fail(const char* doing) const {
  throw SqliteError(std::string("cannot ") + doing + " " + path_ + ": " + sqlite3_errmsg(db_));
}

Statement::Statement(Connection& connection, std::string_view sql) : connection_(connection) {
  if (sqlite3_prepare_v2(connection.get(), sql.data(), static_cast<int>(sql.size()), &statement_,
                         nullptr) != SQLITE_OK) {
    connection.Fail("use");
  }
}

Statement::~Statement() { sqlite3_finalize(statement_); }

void Statement::Null(int parameter) { sqlite3_bind_null(statement_, parameter); }

void Statement::Integer(int parameter, std::int64_t value) {
  sqlite3_bind_int64(statement_, parameter, value);
}

void Statement::Real(int parameter, double value) {
  sqlite3_bind_double(statement_, parameter, value);
}

void Statement::Kept(int parameter, std::string_view text) {
  sqlite3_bind_text64(statement_, parameter, text.data(), text.size(), SQLITE_STATIC, SQLITE_UTF8);
}

void Statement::Copied(int parameter, std::string_view text) {
  sqlite3_bind_text64(statement_, parameter, text.data(), text.size(), SQLITE_TRANSIENT,
                      SQLITE_UTF8);
}

bool Statement::Step(const char* doing) {
  const int stepped = sqlite3_step(statement_);
  if (stepped == SQLITE_ROW) return true;
  if (stepped == SQLITE_DONE) return false;
  connection_.Fail(doing);
}

void Statement::Reset() {
  sqlite3_reset(statement_);
  sqlite3_clear_bindings(statement_);
}

std::int64_t Statement::IntegerAt(int column) const {
  return sqlite3_column_int64(statement_, column);
}

std::string Statement::TextAt(int column) const {
  const unsigned char* text = sqlite3_column_text(statement_, column);
  return text ? std::string(reinterpret_cast<const char*>(text),
                            static_cast<std::size_t>(sqlite3_column_bytes(statement_, column)))
              : std::string();
}

bool Statement::NullAt(int column) const {
  return sqlite3_column_type(statement_, column) == SQLITE_NULL;
}

}  // namespace sqlite
}  // namespace kuv
