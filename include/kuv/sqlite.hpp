// kuv: documents into an SQLite database, where SQL can query the tables
// of every document at once. The kuv tool's export --format sqlite and the
// Python package's kuv.to_sqlite both write through this (target
// kuv::sqlite, library kuvsqlite, over kuv::document and SQLite).
//
// The database ("an archive"):
//   kuv_documents          document, path (absolute; the key by which a
//                          document is replaced), version (the root tag's
//                          text), complete (1 when the document ended with
//                          its closing root tag), added (UTC, ISO 8601)
//   kuv_objects            object, document, position (0-based in its
//                          document), id, author, version, well_id, date
//                          (the Date text), date_iso (the same as ISO 8601,
//                          NULL when it is no date), value_count
//   kuv_table_definitions  object, position, table_name, parent
//   kuv_field_definitions  object, position, table_name, field, unit, type,
//                          kind ("float", "integer", "boolean", "date",
//                          "text": what kuv::KindOfType makes of the type)
//   kuv_tables             table_name, sql_table: which SQL table holds the
//                          rows of each table name
//   kuv_columns            sql_table, sql_column, field, occurrence, kind,
//                          holds ("value" or "text"): what each column of a
//                          SQL table of rows holds
// and one SQL table per table name, laid out as kuv/table_rows.hpp lays
// tables out: object (a key into kuv_objects), row_id, parent_table,
// parent_row_id, then a column per field (a field's second value in a row
// gets a column "FIELD.1", as in frames). A column's type follows the
// field's declared kind, by the first declaration met: REAL for floats,
// INTEGER for integers and booleans (0, 1), TEXT for dates (ISO 8601,
// "2024-03-18T14:05:00") and text. Nothing is lost: a text that does not
// read as its kind (blanks, "n/a", a NaN) leaves the value column NULL and
// is kept as it is in a second column, "FIELD_text", made when the first
// such text comes. A name that SQL could not take as it is (one already
// taken, compared without case as SQL compares them, one of the columns
// above, a name beginning with "sqlite_") gets "_2", "_3"... or a leading
// "_"; kuv_tables and kuv_columns record every name. Every name in SQL is
// quoted, so any text is a name.
//
// Every document goes in within a transaction of its own: an archive holds
// each document whole or not at all, whatever stops a run (an error, a
// full disk, an interrupt: SQLite's journal restores the database on its
// next opening).
#ifndef KUV_SQLITE_HPP_
#define KUV_SQLITE_HPP_

#include <cstddef>
#include <exception>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "kuv/document.hpp"
#include "kuv/text.hpp"

#if defined(_WIN32)
#if defined(KUV_BUILDING_SQLITE)
#define KUV_SQLITE_API __declspec(dllexport)
#else
#define KUV_SQLITE_API __declspec(dllimport)
#endif
#else
#define KUV_SQLITE_API __attribute__((visibility("default")))
#endif

namespace kuv {

// The database refused or failed: what() names it and says why ("cannot
// write archive.db: attempt to write a readonly database").
class KUV_SQLITE_API SqliteError : public std::runtime_error {
 public:
  explicit SqliteError(const std::string& what);
};

struct SqliteExportOptions;

// An archive open for adding documents. One instance must not be used from
// two threads at once.
class KUV_SQLITE_API SqliteArchive {
 public:
  // Opens the database at path, making it (and the archive's tables) when
  // it is missing or empty. Throws SqliteError when it cannot be opened or
  // written, is not an SQLite database, or is one of something else.
  // Texts are decoded with encoding into SQL's UTF-8.
  explicit SqliteArchive(const std::string& path, Encoding encoding = Encoding::kCp1252);
  // Closes the database; one that this instance made and that holds no
  // document yet is removed.
  ~SqliteArchive();
  SqliteArchive(const SqliteArchive&) = delete;
  SqliteArchive& operator=(const SqliteArchive&) = delete;

  // Stores the document under path (kept as it is given), replacing the
  // one stored under that path, in one transaction. Throws SqliteError
  // when the database fails, and kuv::Refusal for a text that is not
  // valid in the encoding (naming its object, table and field); the
  // archive is then as it was.
  void Add(const std::string& path, const Document& document);

  // Documents stored by this instance.
  std::size_t added() const;

 private:
  // Reads the cells of documents ahead of the writer.
  friend std::size_t ExportToSqlite(const std::vector<std::string>& paths,
                                    const std::string& database,
                                    const SqliteExportOptions& options);

  class Writer;
  std::unique_ptr<Writer> writer_;
};

struct SqliteExportOptions {
  unsigned jobs = 1;  // documents read at once
  Encoding encoding = Encoding::kCp1252;
  // Called on the calling thread for each path, in the order given, once
  // its document is stored or has failed (failure: why, as kuv::Error for
  // a document that does not read, SqliteError, kuv::Refusal); the other
  // documents go on. An exception it throws stops the run, and the
  // documents stored so far stay. May be empty.
  std::function<void(std::size_t index, std::exception_ptr failure)> report;
};

// Reads the documents at paths on options.jobs threads, holding no more
// than that many at once, and stores each, in the order given, in the
// database, under its absolute path. Returns how many were stored. Throws,
// before anything is read, std::invalid_argument when two paths name the
// same file, and SqliteError when the database cannot be opened (as
// SqliteArchive says).
KUV_SQLITE_API std::size_t ExportToSqlite(const std::vector<std::string>& paths,
                                          const std::string& database,
                                          const SqliteExportOptions& options = {});

// The path under which ExportToSqlite stores the document at path: made
// absolute against the current folder, "." and ".." taken out.
KUV_SQLITE_API std::string ArchivePath(const std::string& path);

}  // namespace kuv

#endif  // KUV_SQLITE_HPP_
