// What an open archive keeps: the connection, the layout of its tables of
// rows, and the statements every document uses.
#ifndef KUV_SQLITE_ARCHIVE_WRITER_H_
#define KUV_SQLITE_ARCHIVE_WRITER_H_

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "kuv/sqlite.hpp"
#include "sqlite/archive_layout.h"
#include "sqlite/cells_ahead.h"
#include "sqlite/sqlite_handles.h"
#include "sqlite/value_cells.h"

namespace kuv {

class SqliteArchive::Writer {
 public:
  Writer(const std::string& path, Encoding encoding);
  ~Writer();

  // cells: the document's, read ahead; may be null.
  void Add(const std::string& path, const Document& document,
           const sqlite::DocumentCells* cells = nullptr);
  std::size_t added() const { return added_; }

 private:
  void RemoveDocument(const std::string& path);
  std::int64_t WriteObject(std::int64_t document, std::size_t position,
                           const BusinessObject& object,
                           const std::vector<sqlite::CellAhead>* cells);
  void WriteDefinitions(std::int64_t objectId, const BusinessObject& object);
  // Every row of the object's tables; returns how many values they hold.
  std::int64_t WriteRows(std::int64_t objectId, const BusinessObject& object,
                         const std::vector<sqlite::CellAhead>* cells);
  sqlite::Statement& Prepared(std::unique_ptr<sqlite::Statement>& statement, const char* sql);
  // A text as UTF-8, or a Refusal that says where it stands.
  std::string_view Utf8(std::string_view bytes, std::string* slot, const BusinessObject& object,
                        std::string_view table, std::string_view field) const;
  std::string Utf8Copy(std::string_view bytes, const BusinessObject& object,
                       std::string_view table = {}, std::string_view field = {}) const;

  std::string path_;
  bool made_;  // the file did not exist before
  std::size_t added_ = 0;
  sqlite::Utf8Texts texts_;
  std::unique_ptr<sqlite::Connection> connection_;
  std::unique_ptr<sqlite::ArchiveLayout> layout_;
  std::unique_ptr<sqlite::Statement> insertDocument_;
  std::unique_ptr<sqlite::Statement> insertObject_;
  std::unique_ptr<sqlite::Statement> countValues_;
  std::unique_ptr<sqlite::Statement> insertTableDefinition_;
  std::unique_ptr<sqlite::Statement> insertFieldDefinition_;
  std::vector<sqlite::Cell> cells_;     // of the row being written, reused
  std::vector<std::string> textSlots_;  // decoded texts of that row
};

}  // namespace kuv

#endif  // KUV_SQLITE_ARCHIVE_WRITER_H_
