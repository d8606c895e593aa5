// kuv export --format sqlite: documents into an archive that SQL queries,
// one transaction each, and every bad input refused with the database as
// it was.
#include <sys/stat.h>

#include <string>
#include <vector>

#include "sqlite_rows.h"
#include "tool_test_fixture.h"
#include "well_documents.h"

namespace kuv::tool {
namespace {

using ::testing::HasSubstr;
using testing::QueryRows;
using Rows = testing::SqliteRows;

class SqliteExport : public ToolTest {
 protected:
  void SetUp() override {
    ToolTest::SetUp();
    RegisterBundledTemplate();
  }

  std::vector<std::string> Wells(int count) { return WriteWellDocuments(folder_, count, 50); }

  ToolRun Store(const std::vector<std::string>& files, const std::string& database,
                const std::vector<std::string>& more = {}) {
    std::vector<std::string> arguments = {"export"};
    arguments.insert(arguments.end(), files.begin(), files.end());
    arguments.insert(arguments.end(), {"--format", "sqlite", "-o", database});
    arguments.insert(arguments.end(), more.begin(), more.end());
    return Run(arguments);
  }
};

TEST_F(SqliteExport, ExamplesAnswerADataManagersQueries) {
  const std::string db = Path("archive.db");
  const ToolRun run = Store({Example("kestrel3_casing_tops.kuv"), Example("kestrel3_log.kuv"),
                             Example("kestrel3_header_survey.kuv")},
                            db);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(QueryRows(db,
                      "SELECT o.well_id, c.Name, c.Bottom FROM Casing c JOIN kuv_objects o "
                      "USING (object) WHERE c.Bottom > 2000 ORDER BY c.Bottom"),
            (Rows{"KES-3|Production|2612.0", "KES-3|Liner|2976.0"}));
  EXPECT_EQ(QueryRows(db,
                      "SELECT o.well_id, t.MD FROM Top t JOIN kuv_objects o USING (object) "
                      "WHERE t.Formation = 'Hugin Formation'"),
            (Rows{"KES-3|2598.0"}));
  EXPECT_EQ(QueryRows(db, "SELECT id, sum(value_count) FROM kuv_objects GROUP BY id ORDER BY id"),
            (Rows{"CasingStrings|65", "DeviationSurvey|173", "FormationTops|44", "WellHeader|11",
                  "WellLog|220"}));
  // Stored again, a document replaces itself.
  ASSERT_EQ(Store({Example("kestrel3_log.kuv")}, db).status, 0);
  EXPECT_EQ(QueryRows(db, "SELECT count(*), sum(value_count) FROM kuv_objects"), (Rows{"5|513"}));
}

TEST_F(SqliteExport, GeneratedDocumentsOnSeveralThreadsAsOnOne) {
  const std::vector<std::string> wells = Wells(8);
  ASSERT_EQ(Store(wells, Path("one.db"), {"-j", "1"}).status, 0);
  const ToolRun four = Store(wells, Path("four.db"), {"-j", "4"});
  ASSERT_EQ(four.status, 0) << four.err;
  const std::string everything =
      "SELECT d.path, o.id, s.row_id, s.DEPT, s.GR, s.GR_text, s.RT FROM Sample s JOIN "
      "kuv_objects o USING (object) JOIN kuv_documents d USING (document) ORDER BY 1, 3";
  const Rows rows = QueryRows(Path("four.db"), everything);
  EXPECT_EQ(rows, QueryRows(Path("one.db"), everything));
  ASSERT_EQ(rows.size(), 50u * 36);
  // The trade's null value is a number; a text that is none is kept.
  EXPECT_EQ(rows[5], wells[0] + "|Log|5|105.0|-999.25|NULL|NULL");
  EXPECT_EQ(rows[7], wells[0] + "|Log|7|107.0|NULL|n/a|NULL");
}

TEST_F(SqliteExport, ADocumentThatDoesNotReadIsReportedAndTheOthersStored) {
  const std::vector<std::string> wells = Wells(2);
  const std::string db = Path("archive.db");
  const ToolRun run = Store({wells[0], TestData("corrupted.kuv"), wells[1]}, db, {"-j", "2"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "kuv: " + TestData("corrupted.kuv") + ": Error : Token is invalid.\n");
  EXPECT_EQ(QueryRows(db, "SELECT count(*) FROM kuv_documents"), (Rows{"2"}));
  // None stored: no database is left.
  EXPECT_EQ(Store({TestData("corrupted.kuv")}, Path("none.db")).status, 1);
  EXPECT_FALSE(FileExists(Path("none.db")));
}

TEST_F(SqliteExport, DatabasesThatAreNoArchiveAreLeftAsTheyWere) {
  const std::vector<std::string> wells = Wells(1);
  const std::string notes = Path("notes.db");
  WriteFile(notes, std::string(4096, 'x'));
  const ToolRun junk = Store(wells, notes);
  EXPECT_EQ(junk.status, 1);
  EXPECT_EQ(junk.err, "kuv: " + notes + " is not an SQLite database\n");
  EXPECT_EQ(ReadFile(notes), std::string(4096, 'x'));

  const std::string locked = Path("locked.db");
  ASSERT_EQ(Store(wells, locked).status, 0);
  const std::string before = ReadFile(locked);
  ASSERT_EQ(::chmod(locked.c_str(), 0444), 0);
  const ToolRun readOnly = Store({Example("kestrel3_log.kuv")}, locked);
  EXPECT_EQ(readOnly.status, 1);
  EXPECT_EQ(readOnly.err, "kuv: cannot write " + locked + ": it is read-only\n");
  EXPECT_EQ(ReadFile(locked), before);
}

TEST_F(SqliteExport, WrongChoicesAreUsageErrorsBeforeAnythingIsMade) {
  const std::vector<std::string> wells = Wells(2);
  const std::string db = Path("archive.db");
  // Two paths of one document.
  const ToolRun twice = Store({wells[0], wells[1], Path("./well1.kuv")}, db);
  EXPECT_EQ(twice.status, 2);
  EXPECT_EQ(twice.err, "kuv: " + wells[0] + " and " + Path("./well1.kuv") +
                           " name the same document; give each document once\n");
  EXPECT_FALSE(FileExists(db));
  EXPECT_EQ(Run({"export", wells[0], "--format", "sqlite"}).status, 2);
  EXPECT_EQ(Store({wells[0]}, Path("")).status, 2);  // a folder
  EXPECT_EQ(Store({"-"}, db).status, 2);
  const ToolRun table = Store({wells[0]}, db, {"--table", "Sample"});
  EXPECT_EQ(table.status, 2);
  EXPECT_THAT(table.err, HasSubstr("apply to --format csv only"));
  EXPECT_FALSE(FileExists(db));
}

}  // namespace
}  // namespace kuv::tool
