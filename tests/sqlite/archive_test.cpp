// Documents into an SQLite archive: typed columns, nothing lost, names SQL
// would misread, a document replaced by path, and a database left as it
// was by whatever fails.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "kuv/sqlite.hpp"
#include "sqlite_rows.h"
#include "support/scratch_folder.h"

namespace kuv {
namespace {

using testing::QueryRows;
using testing::ScratchFolder;
using Rows = testing::SqliteRows;

std::string Example(const std::string& name) {
  return std::string(KUV_SOURCE_DIR) + "/examples/" + name;
}

// A document of one object whose inner text (definitions and tables) is
// given.
Document Doc(const std::string& inner, const std::string& id = "X") {
  return Document::Parse("<?xml version='1.0'?>\n<KUV Version='2.0'>\n<BusinessObject ID='" + id +
                         "' Author='a' Version='1' WellID='W' Date='20240318T14:05:00000'>\n" +
                         inner + "</BusinessObject>\n</KUV>\n");
}

TEST(SqliteArchive, TablesOfEveryDocumentGoIntoOneTableEachWithTypedColumns) {
  ScratchFolder folder;
  const std::string db = folder.File("archive.db");
  std::vector<std::string> reported;
  SqliteExportOptions options;
  options.jobs = 3;
  options.report = [&](std::size_t i, const std::exception_ptr& failure) {
    reported.push_back(std::to_string(i) + (failure ? " failed" : " stored"));
  };
  const std::vector<std::string> paths = {Example("kestrel3_casing_tops.kuv"),
                                          folder.File("missing.kuv"), Example("kestrel3_log.kuv")};
  EXPECT_EQ(ExportToSqlite(paths, db, options), 2u);
  EXPECT_EQ(reported, (Rows{"0 stored", "1 failed", "2 stored"}));
  EXPECT_EQ(QueryRows(db, "SELECT path, version, complete FROM kuv_documents ORDER BY document"),
            (Rows{paths[0] + "|2.0'|1", paths[2] + "|2.0'|1"}));
  EXPECT_EQ(
      QueryRows(db, "SELECT id, date, date_iso, value_count FROM kuv_objects ORDER BY object"),
      (Rows{"CasingStrings|20240318T14:05:00000|2024-03-18T14:05:00|65",
            "FormationTops|20240319T11:20:00000|2024-03-19T11:20:00|44",
            "WellLog|20240320T08:15:00000|2024-03-20T08:15:00|220"}));
  // Numbers are numbers: they compare and sum as such.
  EXPECT_EQ(
      QueryRows(db, "SELECT Name, typeof(OD), OD FROM Casing WHERE Bottom > 2000 ORDER BY row_id"),
      (Rows{"Production|real|9.625", "Liner|real|7.0"}));
  EXPECT_EQ(QueryRows(db,
                      "SELECT row_id, parent_table, parent_row_id, typeof(Stage) FROM CementStage "
                      "WHERE Stage = 3"),
            (Rows{"5|Casing|3|integer"}));
  EXPECT_EQ(QueryRows(db, "SELECT table_name, parent FROM kuv_table_definitions WHERE object = 1"),
            (Rows{"Casing|", "CementStage|Casing"}));
  EXPECT_EQ(QueryRows(db,
                      "SELECT field, unit, type, kind FROM kuv_field_definitions WHERE object = 1 "
                      "AND table_name = 'CementStage' ORDER BY position LIMIT 3"),
            (Rows{"Bottom|m|float|float", "Slurry||string|text", "Stage||int|integer"}));
  EXPECT_EQ(QueryRows(db,
                      "SELECT sql_column, kind, holds FROM kuv_columns WHERE sql_table = 'Casing' "
                      "ORDER BY position LIMIT 2"),
            (Rows{"Name|text|value", "OD|float|value"}));
}

TEST(SqliteArchive, TextsThatDoNotReadAsTheirKindAreKeptBeside) {
  ScratchFolder folder;
  const std::string db = folder.File("archive.db");
  {
    SqliteArchive archive(db);
    archive.Add("typed.kuv",
                Doc("<DataDescription>\n<TableDef Table='T'/>\n"
                    "<FieldDef Table='T' Field='f' Unit='' Type='double'/>\n"
                    "<FieldDef Table='T' Field='i' Unit='' Type='Integer'/>\n"
                    "<FieldDef Table='T' Field='b' Unit='' Type='bool'/>\n"
                    "<FieldDef Table='T' Field='d' Unit='' Type='date'/>\n</DataDescription>\n"
                    "<T>\n<f>1.50</f>\n<i>7</i>\n<b>yes</b>\n<d>2005-01-19 14:05:30.25</d>\n"
                    "<f>n/a</f>\n<i>1.0</i>\n<b>maybe</b>\n<d>20050119T14:05:00000</d>\n"
                    "<f></f>\n<i>99999999999999999999</i>\n<b>0</b>\n<d>2005-02-30</d>\n"
                    "<f>nan</f>\n</T>\n"));
  }
  EXPECT_EQ(
      QueryRows(db, "SELECT f, f_text, i, i_text, b, b_text, d, d_text FROM T ORDER BY row_id"),
      (Rows{"1.5|NULL|7|NULL|1|NULL|2005-01-19T14:05:30.25|NULL",
            "NULL|n/a|NULL|1.0|NULL|maybe|2005-01-19T14:05:00|NULL",
            "NULL||NULL|99999999999999999999|0|NULL|NULL|2005-02-30",
            "NULL|nan|NULL|NULL|NULL|NULL|NULL|NULL"}));
  EXPECT_EQ(QueryRows(db, "SELECT typeof(i), typeof(b) FROM T WHERE row_id = 0"),
            (Rows{"integer|integer"}));
  EXPECT_EQ(QueryRows(db,
                      "SELECT sql_column, field, kind, holds FROM kuv_columns WHERE sql_column "
                      "LIKE 'f%' ORDER BY position"),
            (Rows{"f|f|float|value", "f_text|f|float|text"}));
}

TEST(SqliteArchive, NamesThatSqlWouldMisreadAreQuotedOrTakeASuffixAndAreRecorded) {
  ScratchFolder folder;
  const std::string db = folder.File("archive.db");
  {
    SqliteArchive archive(db);
    archive.Add("names.kuv",
                Doc("<Casing>\n<a>1</a>\n</Casing>\n<casing>\n<a>2</a>\n</casing>\n"
                    "<select \"x\">\n<object>o</object>\n<g>1</g>\n<g>2</g>\n<G>3</G>\n"
                    "</select \"x\">\n<sqlite_master>\n<a>3</a>\n</sqlite_master>\n"
                    "<kuv_objects>\n<a>4</a>\n</kuv_objects>\n"));
  }
  EXPECT_EQ(QueryRows(db, "SELECT table_name, sql_table FROM kuv_tables ORDER BY table_name"),
            (Rows{"Casing|Casing", "casing|casing_2", "kuv_objects|kuv_objects_2",
                  "select \"x\"|select \"x\"", "sqlite_master|_sqlite_master"}));
  EXPECT_EQ(QueryRows(db,
                      "SELECT sql_column, field, occurrence FROM kuv_columns WHERE sql_table = "
                      "'select \"x\"' ORDER BY position"),
            (Rows{"object_2|object|0", "g|g|0", "g.1|g|1", "G_2|G|0"}));
  EXPECT_EQ(QueryRows(db, "SELECT object, object_2, g, \"g.1\", G_2 FROM \"select \"\"x\"\"\""),
            (Rows{"1|o|1|2|3"}));
  EXPECT_EQ(QueryRows(db, "SELECT a FROM casing_2"), (Rows{"2"}));
}

TEST(SqliteArchive, ADocumentStoredAgainUnderItsPathReplacesTheOld) {
  ScratchFolder folder;
  const std::string db = folder.File("archive.db");
  const std::string inner = "<DataDescription>\n<TableDef Table='T'/>\n</DataDescription>\n";
  {
    SqliteArchive archive(db);
    archive.Add("a.kuv", Doc(inner + "<T>\n<v>1</v>\n<v>2</v>\n</T>\n"));
    archive.Add("b.kuv", Doc(inner + "<T>\n<v>10</v>\n</T>\n"));
  }
  {
    SqliteArchive again(db);
    again.Add("a.kuv", Doc(inner + "<T>\n<v>3</v>\n</T>\n<U>\n<w>4</w>\n</U>\n", "Y"));
    EXPECT_EQ(again.added(), 1u);
  }
  EXPECT_EQ(QueryRows(db,
                      "SELECT d.path, o.id, t.v FROM T t JOIN kuv_objects o USING (object) JOIN "
                      "kuv_documents d USING (document) ORDER BY d.path, t.row_id"),
            (Rows{"a.kuv|Y|3", "b.kuv|X|10"}));
  EXPECT_EQ(QueryRows(db, "SELECT count(*) FROM kuv_objects"), (Rows{"2"}));
  EXPECT_EQ(QueryRows(db, "SELECT count(*) FROM kuv_table_definitions"), (Rows{"2"}));
  EXPECT_EQ(QueryRows(db, "SELECT w FROM U"), (Rows{"4"}));
}

TEST(SqliteArchive, AFailedDocumentLeavesTheArchiveAsItWas) {
  ScratchFolder folder;
  const std::string db = folder.File("archive.db");
  // The second object's text is no UTF-8: the first one's table and
  // columns, made in the same transaction, go too.
  const Document bad = Document::Parse(
      "<?xml version='1.0'?>\n<KUV Version='2.0'>\n<BusinessObject ID='A' Author='' Version='' "
      "WellID='' Date=''>\n<New>\n<n>1</n>\n</New>\n<T>\n<v>2</v>\n</T>\n</BusinessObject>\n"
      "<BusinessObject ID='B' Author='' Version='' WellID='' Date=''>\n<T>\n<v>\xe9</v>\n"
      "<w>3</w>\n</T>\n</BusinessObject>\n</KUV>\n");
  SqliteArchive archive(db, Encoding::kUtf8);
  archive.Add("good.kuv", Doc("<T>\n<v>1</v>\n</T>\n"));
  try {
    archive.Add("bad.kuv", bad);
    ADD_FAILURE() << "a text that is no UTF-8 was stored";
  } catch (const Refusal& refusal) {
    EXPECT_EQ(std::string(refusal.what()),
              "kuv: cannot store object 'B', table 'T', field 'v': the text is not valid UTF-8; "
              "choose "
              "the document's encoding (cp1252, latin1)");
  }
  EXPECT_EQ(QueryRows(db, "SELECT path FROM kuv_documents"), (Rows{"good.kuv"}));
  EXPECT_EQ(QueryRows(db, "SELECT table_name FROM kuv_tables"), (Rows{"T"}));
  EXPECT_EQ(QueryRows(db, "SELECT sql_column FROM kuv_columns"), (Rows{"v"}));
  EXPECT_EQ(QueryRows(db, "SELECT count(*) FROM sqlite_master WHERE name = 'New'"), (Rows{"0"}));
  EXPECT_EQ(QueryRows(db, "SELECT count(*) FROM pragma_table_info('T') WHERE name = 'w'"),
            (Rows{"0"}));
  // What the archive knows of its layout went back with the transaction.
  archive.Add("next.kuv", Doc("<T>\n<v>5</v>\n<w>6</w>\n</T>\n<New>\n<n>7</n>\n</New>\n"));
  EXPECT_EQ(QueryRows(db, "SELECT v, w FROM T ORDER BY object"), (Rows{"1|NULL", "5|6"}));
  EXPECT_EQ(QueryRows(db, "SELECT n FROM New"), (Rows{"7"}));
}

TEST(SqliteArchive, DatabasesThatCannotTakeDocumentsAreRefusedUntouched) {
  ScratchFolder folder;
  const auto refusal = [](const std::string& path) -> std::string {
    try {
      SqliteArchive archive(path);
    } catch (const SqliteError& error) {
      return error.what();
    }
    return "";
  };
  const std::string text = folder.File("notes.txt");
  const std::string notes(5000, 'n');
  ASSERT_TRUE(testing::WriteFileBytes(text, notes));
  EXPECT_EQ(refusal(text), text + " is not an SQLite database");
  EXPECT_EQ(testing::ReadFileBytes(text), notes);

  const std::string other = folder.File("other.db");
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(other.c_str(), &db), SQLITE_OK);
  sqlite3_exec(db, "CREATE TABLE people (name TEXT)", nullptr, nullptr, nullptr);
  sqlite3_close(db);
  EXPECT_EQ(refusal(other), other + " is an SQLite database of something else, not a kuv archive");

  const std::string locked = folder.File("locked.db");
  { SqliteArchive made(locked); }  // holds nothing: removed again
  EXPECT_FALSE(testing::ReadFileBytes(locked));
  ExportToSqlite({Example("kestrel3_log.kuv")}, locked);
  ASSERT_EQ(::chmod(locked.c_str(), 0444), 0);
  EXPECT_EQ(refusal(locked), "cannot write " + locked + ": it is read-only");
  EXPECT_EQ(QueryRows(locked, "SELECT count(*) FROM kuv_documents"), (Rows{"1"}));

  // Two paths of one document are refused before anything is made.
  EXPECT_THROW(
      ExportToSqlite({Example("kestrel3_log.kuv"), Example("../examples/kestrel3_log.kuv")},
                     folder.File("twice.db")),
      std::invalid_argument);
  EXPECT_FALSE(testing::ReadFileBytes(folder.File("twice.db")));
  EXPECT_EQ(folder.Names(), (Rows{"locked.db", "notes.txt", "other.db"}));
}

TEST(SqliteArchive, ThreadsChangeNothingButTheTime) {
  ScratchFolder folder;
  std::vector<std::string> paths;
  for (const char* name :
       {"kestrel3_casing_tops.kuv", "kestrel3_header_survey.kuv", "kestrel3_log.kuv"}) {
    paths.push_back(Example(name));
  }
  const std::string everything =
      "SELECT o.id, s.* FROM Station s JOIN kuv_objects o USING (object) ORDER BY 1, 2, 3";
  ExportToSqlite(paths, folder.File("one.db"), {1, Encoding::kCp1252, {}});
  ExportToSqlite(paths, folder.File("four.db"), {4, Encoding::kCp1252, {}});
  EXPECT_EQ(QueryRows(folder.File("one.db"), everything),
            QueryRows(folder.File("four.db"), everything));
  EXPECT_EQ(QueryRows(folder.File("four.db"), "SELECT count(*) FROM Station"), (Rows{"24"}));
}

// Many documents are read on threads ahead of the one writer; what it
// stores is what storing them one by one stores, also where a column took
// its kind from an earlier document that declares the field otherwise.
TEST(SqliteArchive, ManyDocumentsStoreWhatEachStoresAlone) {
  ScratchFolder folder;
  const std::string first = folder.File("first.kuv");
  const std::string second = folder.File("second.kuv");
  Doc("<DataDescription>\n<TableDef Table='T'/>\n"
      "<FieldDef Table='T' Field='v' Unit='' Type='float'/>\n</DataDescription>\n"
      "<T>\n<v>1.5</v>\n</T>\n")
      .Save(first);
  Doc("<DataDescription>\n<TableDef Table='T'/>\n"
      "<FieldDef Table='T' Field='v' Unit='' Type='integer'/>\n</DataDescription>\n"
      "<T>\n<v>2</v>\n<v>2.5</v>\n<v>x</v>\n</T>\n",
      "Y")
      .Save(second);
  {
    SqliteArchive archive(folder.File("alone.db"));
    archive.Add(ArchivePath(first), Document::Open(first));
    archive.Add(ArchivePath(second), Document::Open(second));
  }
  ExportToSqlite({first, second}, folder.File("many.db"), {2, Encoding::kCp1252, {}});
  const std::string rows =
      "SELECT o.id, T.* FROM T JOIN kuv_objects o USING (object) ORDER BY 1, 3";
  const Rows expected = {"X|1|0|NULL|NULL|1.5|NULL", "Y|2|0|NULL|NULL|2.0|NULL",
                         "Y|2|1|NULL|NULL|2.5|NULL", "Y|2|2|NULL|NULL|NULL|x"};
  EXPECT_EQ(QueryRows(folder.File("alone.db"), rows), expected);
  EXPECT_EQ(QueryRows(folder.File("many.db"), rows), expected);
}

}  // namespace
}  // namespace kuv
