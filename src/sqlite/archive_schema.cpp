#include "sqlite/archive_schema.h"

#include <string>

#include "kuv/sqlite.hpp"

namespace kuv::sqlite {

namespace {

// "kuv1" in the header's application ID marks an archive; the user
// version, the layout of its tables.
constexpr long long kApplicationId = 0x6B757631;
constexpr long long kLayoutVersion = 1;

const char* const kSchema = R"sql(
CREATE TABLE kuv_documents (
  document INTEGER PRIMARY KEY,
  path TEXT NOT NULL UNIQUE,
  version TEXT NOT NULL,
  complete INTEGER NOT NULL,
  added TEXT NOT NULL);
CREATE TABLE kuv_objects (
  object INTEGER PRIMARY KEY,
  document INTEGER NOT NULL REFERENCES kuv_documents (document),
  position INTEGER NOT NULL,
  id TEXT NOT NULL,
  author TEXT NOT NULL,
  version TEXT NOT NULL,
  well_id TEXT NOT NULL,
  date TEXT NOT NULL,
  date_iso TEXT,
  value_count INTEGER NOT NULL);
CREATE INDEX kuv_objects_by_document ON kuv_objects (document);
CREATE TABLE kuv_table_definitions (
  object INTEGER NOT NULL REFERENCES kuv_objects (object),
  position INTEGER NOT NULL,
  table_name TEXT NOT NULL,
  parent TEXT NOT NULL,
  PRIMARY KEY (object, position)) WITHOUT ROWID;
CREATE TABLE kuv_field_definitions (
  object INTEGER NOT NULL REFERENCES kuv_objects (object),
  position INTEGER NOT NULL,
  table_name TEXT NOT NULL,
  field TEXT NOT NULL,
  unit TEXT NOT NULL,
  type TEXT NOT NULL,
  kind TEXT NOT NULL,
  PRIMARY KEY (object, position)) WITHOUT ROWID;
CREATE TABLE kuv_tables (
  table_name TEXT PRIMARY KEY,
  sql_table TEXT NOT NULL UNIQUE COLLATE NOCASE) WITHOUT ROWID;
CREATE TABLE kuv_columns (
  sql_table TEXT NOT NULL COLLATE NOCASE,
  position INTEGER NOT NULL,
  sql_column TEXT NOT NULL,
  field TEXT NOT NULL,
  occurrence INTEGER NOT NULL,
  kind TEXT NOT NULL,
  holds TEXT NOT NULL,
  PRIMARY KEY (sql_table, position)) WITHOUT ROWID;
)sql";

long long Pragma(Connection& connection, const char* sql) {
  Statement statement(connection, sql);
  statement.Step("read");
  return statement.IntegerAt(0);
}

}  // namespace

const char* const kArchiveTables[6] = {
    "kuv_documents",         "kuv_objects", "kuv_table_definitions",
    "kuv_field_definitions", "kuv_tables",  "kuv_columns"};

void PrepareArchive(Connection& connection) {
  const std::string& path = connection.path();
  long long application = 0;
  long long tables = 0;
  try {
    application = Pragma(connection, "PRAGMA application_id");
    tables = Pragma(connection, "SELECT count(*) FROM sqlite_master");
  } catch (const SqliteError&) {
    // What a file that is no database says ("file is not a database").
    throw SqliteError(path + " is not an SQLite database");
  }
  if (application == kApplicationId) {
    if (Pragma(connection, "PRAGMA user_version") > kLayoutVersion) {
      throw SqliteError(path + " is an archive of a later kuv; use that kuv to add to it");
    }
  } else if (tables > 0) {
    throw SqliteError(path + " is an SQLite database of something else, not a kuv archive");
  }
  if (connection.read_only()) throw SqliteError("cannot write " + path + ": it is read-only");
  if (application == kApplicationId) return;

  connection.Execute("BEGIN IMMEDIATE", "write");
  try {
    connection.Execute(kSchema, "write");
    connection.Execute(("PRAGMA application_id = " + std::to_string(kApplicationId)).c_str(),
                       "write");
    connection.Execute(("PRAGMA user_version = " + std::to_string(kLayoutVersion)).c_str(),
                       "write");
    connection.Execute("COMMIT", "write");
  } catch (...) {
    connection.Rollback();
    throw;
  }
}

}  // namespace kuv::sqlite
