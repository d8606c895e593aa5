// The archive's own tables, and telling an archive from any other file.
#ifndef KUV_SQLITE_ARCHIVE_SCHEMA_H_
#define KUV_SQLITE_ARCHIVE_SCHEMA_H_

#include "sqlite/sqlite_handles.h"

namespace kuv::sqlite {

// The names of the archive's own tables, which no table of rows may take.
extern const char* const kArchiveTables[6];

// Makes the archive's tables in an empty database; checks that any other
// is an archive of this version. Throws SqliteError otherwise: a file that
// is no SQLite database, a database of something else, an archive of a
// later version, a database that cannot be written.
void PrepareArchive(Connection& connection);

}  // namespace kuv::sqlite

#endif  // KUV_SQLITE_ARCHIVE_SCHEMA_H_
