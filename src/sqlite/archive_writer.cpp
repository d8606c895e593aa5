// An archive open for adding: each document in a transaction of its own,
// replacing the one stored under its path.
#include "sqlite/archive_writer.h"

#include <filesystem>
#include <system_error>

#include "sqlite/archive_schema.h"

namespace kuv {

using sqlite::Statement;

namespace {

bool Exists(const std::string& path) {
  std::error_code error;
  return std::filesystem::exists(path, error);
}

// A file nobody may write is refused, as every output of the tool is, even
// where the system would let this process write it.
bool ReadOnly(const std::string& path) {
  using std::filesystem::perms;
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(path, error);
  return !error && std::filesystem::is_regular_file(status) &&
         (status.permissions() & (perms::owner_write | perms::group_write | perms::others_write)) ==
             perms::none;
}

// What SQLite may leave beside a database.
void RemoveDatabase(const std::string& path) {
  std::error_code ignored;
  for (const char* suffix : {"", "-journal", "-wal", "-shm"}) {
    std::filesystem::remove(path + suffix, ignored);
  }
}

}  // namespace

SqliteArchive::Writer::Writer(const std::string& path, Encoding encoding)
    : path_(path), made_(!Exists(path)), texts_(encoding) {
  if (path.empty()) throw SqliteError("no database was named");
  if (ReadOnly(path)) throw SqliteError("cannot write " + path + ": it is read-only");
  try {
    connection_ = std::make_unique<sqlite::Connection>(path);
    sqlite::PrepareArchive(*connection_);
    // Twice SQLite's own: most documents' transactions fit, and a larger
    // cache only holds more memory for no gain in time.
    connection_->Execute("PRAGMA cache_size = -4096", "use");
    layout_ = std::make_unique<sqlite::ArchiveLayout>(*connection_);
  } catch (...) {
    layout_.reset();
    connection_.reset();
    if (made_) RemoveDatabase(path_);
    throw;
  }
}

SqliteArchive::Writer::~Writer() {
  insertDocument_.reset();
  insertObject_.reset();
  countValues_.reset();
  insertTableDefinition_.reset();
  insertFieldDefinition_.reset();
  layout_.reset();
  connection_.reset();
  // A database made for documents of which none could be stored is no
  // use to anyone.
  if (made_ && added_ == 0) RemoveDatabase(path_);
}

Statement& SqliteArchive::Writer::Prepared(std::unique_ptr<Statement>& statement, const char* sql) {
  if (!statement) statement = std::make_unique<Statement>(*connection_, sql);
  return *statement;
}

std::string_view SqliteArchive::Writer::Utf8(std::string_view bytes, std::string* slot,
                                             const BusinessObject& object, std::string_view table,
                                             std::string_view field) const {
  std::string_view utf8;
  if (texts_.Convert(bytes, slot, &utf8)) return utf8;
  std::string where = "object '" + DecodeForDisplay(object.id(), Encoding::kUtf8) + "'";
  if (!table.empty()) where += ", table '" + DecodeForDisplay(table, Encoding::kUtf8) + "'";
  if (!field.empty()) where += ", field '" + DecodeForDisplay(field, Encoding::kUtf8) + "'";
  const std::string why =
      "the text is not valid UTF-8; choose the document's encoding (cp1252, latin1)";
  throw Refusal("cannot store " + where, why);
}

std::string SqliteArchive::Writer::Utf8Copy(std::string_view bytes, const BusinessObject& object,
                                            std::string_view table, std::string_view field) const {
  std::string slot;
  return std::string(Utf8(bytes, &slot, object, table, field));
}

void SqliteArchive::Writer::Add(const std::string& path, const Document& document,
                                const sqlite::DocumentCells* cells) {
  connection_->Execute("BEGIN IMMEDIATE", "write");
  try {
    RemoveDocument(path);
    Statement& insert = Prepared(insertDocument_,
                                 "INSERT INTO kuv_documents (path, version, complete, added) "
                                 "VALUES (?, ?, ?, strftime('%Y-%m-%dT%H:%M:%SZ', 'now'))");
    std::string version;
    if (!texts_.Copy(document.version(), &version)) {
      version = DecodeForDisplay(document.version(), Encoding::kUtf8);
    }
    insert.Kept(1, path);
    insert.Kept(2, version);
    insert.Integer(3, document.complete() ? 1 : 0);
    insert.Step("write");
    insert.Reset();
    const std::int64_t documentId = connection_->LastInsertId();
    std::size_t position = 0;
    for (const BusinessObject object : document.objects()) {
      WriteObject(documentId, position, object,
                  cells && position < cells->size() ? &(*cells)[position] : nullptr);
      ++position;
    }
    connection_->Execute("COMMIT", "write");
  } catch (...) {
    connection_->Rollback();
    // Tables and columns made in the transaction are gone with it.
    layout_->Reload();
    throw;
  }
  ++added_;
}

void SqliteArchive::Writer::RemoveDocument(const std::string& path) {
  Statement find(*connection_, "SELECT document FROM kuv_documents WHERE path = ?");
  find.Kept(1, path);
  if (!find.Step("read")) return;
  const std::int64_t document = find.IntegerAt(0);
  const std::string ofDocument =
      " WHERE object IN (SELECT object FROM kuv_objects WHERE document = ?)";
  std::vector<std::string> deletions = {"DELETE FROM kuv_table_definitions" + ofDocument,
                                        "DELETE FROM kuv_field_definitions" + ofDocument};
  layout_->ForEachTable([&](const sqlite::ArchiveTable& table) {
    deletions.push_back("DELETE FROM " + sqlite::Quoted(table.name) + ofDocument);
  });
  deletions.push_back("DELETE FROM kuv_objects WHERE document = ?");
  deletions.push_back("DELETE FROM kuv_documents WHERE document = ?");
  for (const std::string& sql : deletions) {
    Statement deletion(*connection_, sql);
    deletion.Integer(1, document);
    deletion.Step("write");
  }
}

std::int64_t SqliteArchive::Writer::WriteObject(std::int64_t document, std::size_t position,
                                                const BusinessObject& object,
                                                const std::vector<sqlite::CellAhead>* cells) {
  Statement& insert =
      Prepared(insertObject_,
               "INSERT INTO kuv_objects (document, position, id, author, version, well_id, date, "
               "date_iso, value_count) VALUES (?, ?, ?, ?, ?, ?, ?, ?, 0)");
  insert.Integer(1, document);
  insert.Integer(2, static_cast<std::int64_t>(position));
  const std::string header[] = {Utf8Copy(object.id(), object), Utf8Copy(object.author(), object),
                                Utf8Copy(object.version(), object),
                                Utf8Copy(object.well_id(), object),
                                Utf8Copy(object.date(), object)};
  for (int i = 0; i < 5; ++i) insert.Kept(3 + i, header[i]);
  const TypedValue date = ReadValue(object.date(), ValueKind::kDate);
  const std::string iso =
      date.reading == ValueReading::kValue ? sqlite::IsoText(date.date) : std::string();
  if (iso.empty()) {
    insert.Null(8);
  } else {
    insert.Kept(8, iso);
  }
  insert.Step("write");
  insert.Reset();
  const std::int64_t objectId = connection_->LastInsertId();

  WriteDefinitions(objectId, object);
  const std::int64_t values = WriteRows(objectId, object, cells);
  Statement& count =
      Prepared(countValues_, "UPDATE kuv_objects SET value_count = ? WHERE object = ?");
  count.Integer(1, values);
  count.Integer(2, objectId);
  count.Step("write");
  count.Reset();
  return objectId;
}

void SqliteArchive::Writer::WriteDefinitions(std::int64_t objectId, const BusinessObject& object) {
  Statement& tables = Prepared(insertTableDefinition_,
                               "INSERT INTO kuv_table_definitions (object, position, table_name, "
                               "parent) VALUES (?, ?, ?, ?)");
  std::int64_t position = 0;
  for (const TableDefinition& table : object.table_definitions()) {
    const std::string name = Utf8Copy(table.table, object, table.table);
    const std::string parent = Utf8Copy(table.parent, object, table.table);
    tables.Integer(1, objectId);
    tables.Integer(2, position++);
    tables.Kept(3, name);
    tables.Kept(4, parent);
    tables.Step("write");
    tables.Reset();
  }
  Statement& fields = Prepared(insertFieldDefinition_,
                               "INSERT INTO kuv_field_definitions (object, position, table_name, "
                               "field, unit, type, kind) VALUES (?, ?, ?, ?, ?, ?, ?)");
  position = 0;
  for (const FieldDefinition& field : object.field_definitions()) {
    const std::string texts[] = {Utf8Copy(field.table, object, field.table, field.field),
                                 Utf8Copy(field.field, object, field.table, field.field),
                                 Utf8Copy(field.unit, object, field.table, field.field),
                                 Utf8Copy(field.type, object, field.table, field.field)};
    fields.Integer(1, objectId);
    fields.Integer(2, position++);
    for (int i = 0; i < 4; ++i) fields.Kept(3 + i, texts[i]);
    fields.Kept(7, NameOf(KindOfType(field.type)));
    fields.Step("write");
    fields.Reset();
  }
}

SqliteArchive::SqliteArchive(const std::string& path, Encoding encoding)
    : writer_(std::make_unique<Writer>(path, encoding)) {}

SqliteArchive::~SqliteArchive() = default;

void SqliteArchive::Add(const std::string& path, const Document& document) {
  writer_->Add(path, document);
}

std::size_t SqliteArchive::added() const { return writer_->added(); }

}  // namespace kuv
