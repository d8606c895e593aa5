// kuv export --format csv across objects and files: a table from every
// object that holds it, --combine into one file per table, the same bytes
// whatever the jobs, and nothing left behind by a run that fails.
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tool_test_fixture.h"
#include "well_documents.h"

namespace kuv::tool {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

class CombinedExport : public ToolTest {
 protected:
  void SetUp() override {
    ToolTest::SetUp();
    RegisterBundledTemplate();
  }

  std::vector<std::string> Wells(int count) { return WriteWellDocuments(folder_, count, 40); }

  ToolRun Export(std::vector<std::string> files, const std::vector<std::string>& options) {
    std::vector<std::string> arguments = {"export"};
    arguments.insert(arguments.end(), files.begin(), files.end());
    arguments.insert(arguments.end(), options.begin(), options.end());
    return Run(arguments);
  }
};

TEST_F(CombinedExport, ATableComesFromEveryObjectOfADocumentThatHoldsIt) {
  const std::string document = Path("two-logs.kuv");
  std::string bytes = WellDocument(1, 2);
  // A second log, of another ID, after the first.
  const std::size_t log = bytes.find("<BusinessObject ID='Log'");
  std::string second = bytes.substr(log, bytes.find("</KUV>") - log);
  second.replace(second.find("ID='Log'"), 8, "ID='Log2'");
  bytes.insert(bytes.find("</KUV>"), second);
  WriteFile(document, bytes);
  const ToolRun run = Export({document}, {"--format", "csv", "--table", "Sample"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "object,row_id,DEPT,GR\r\nLog,0,100.0,1.5\r\nLog,1,101.0,8.5\r\n"
            "Log2,0,100.0,1.5\r\nLog2,1,101.0,8.5\r\n");
  // A document of one object is written as before, without the column.
  const ToolRun alone =
      Export({Example("kestrel3_log.kuv")}, {"--format", "csv", "--table", "Sample"});
  EXPECT_THAT(alone.out, ::testing::StartsWith("row_id,DEPT,"));
  // Without --table, a document of several tables needs a folder.
  const ToolRun tables = Export({document}, {"--format", "csv"});
  EXPECT_EQ(tables.status, 2);
  EXPECT_THAT(tables.err, HasSubstr("holds several tables; choose one with --table (Well, Casing, "
                                    "CementStage, Sample)"));
  const ToolRun folder = Export({document}, {"--format", "csv", "-o", Path("out/")});
  EXPECT_EQ(folder.status, 0) << folder.err;
  EXPECT_EQ(ReadFile(Path("out/two-logs.CementStage.csv")),
            "object,row_id,parent_table,parent_row_id,Stage\r\nCasing,0,Casing,0,1\r\n"
            "Casing,1,Casing,1,1\r\nCasing,2,Casing,1,2\r\nCasing,3,Casing,2,1\r\n"
            "Casing,4,Casing,2,2\r\nCasing,5,Casing,2,3\r\n");
}

TEST_F(CombinedExport, CombineJoinsEveryDocumentBehindSourceAndObject) {
  const std::vector<std::string> wells = Wells(3);
  const ToolRun run = Export(wells, {"--format", "csv", "--table", "Well", "--combine", "--units",
                                     "header", "-o", Path("wells.csv")});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ReadFile(Path("wells.csv")), "source,object,row_id,Name,Depth [m]\r\n" + wells[0] +
                                             ",WellHeader,0,Well 1,1250.0\r\n" + wells[1] +
                                             ",WellHeader,0,Well 2,1500.0\r\n" + wells[2] +
                                             ",WellHeader,0,Well 3,1750.0\r\n");
  // Columns are the union, in the order they first appear: RT comes from
  // the second well on.
  const ToolRun samples = Export(wells, {"--format", "csv", "--table", "Sample", "--combine"});
  ASSERT_EQ(samples.status, 0) << samples.err;
  EXPECT_THAT(samples.out, ::testing::StartsWith("source,object,row_id,DEPT,GR,RT\r\n" + wells[0] +
                                                 ",Log,0,100.0,1.5,\r\n"));
  EXPECT_THAT(samples.out, HasSubstr("\r\n" + wells[1] + ",Log,0,100.0,2.5,0.25\r\n"));
}

TEST_F(CombinedExport, TheBytesDoNotDependOnTheJobs) {
  std::vector<std::string> wells = Wells(6);
  wells.push_back(Example("kestrel3_casing_tops.kuv"));
  wells.push_back(TestData("nested.kuv"));
  for (const char* jobs : {"1", "4"}) {
    const ToolRun run = Export(wells, {"--format", "csv", "--combine", "-j", jobs, "--units", "row",
                                       "-o", Path(std::string("jobs") + jobs + "/")});
    ASSERT_EQ(run.status, 0) << run.err;
  }
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(Path("jobs1"))) {
    names.push_back(entry.path().filename().string());
    EXPECT_EQ(ReadFile(entry.path().string()), ReadFile(Path("jobs4/") + names.back()))
        << names.back();
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"A.csv", "B.csv", "C.csv", "Casing.csv",
                                             "CementStage.csv", "D.csv", "Sample.csv",
                                             "Station.csv", "Top.csv", "Well.csv", "Z.csv"}));
  // Casing's rows come from the wells and the example, under one header.
  EXPECT_THAT(ReadFile(Path("jobs1/Casing.csv")),
              ::testing::StartsWith("source,object,row_id,Name,Bottom,OD,Weight,Grade,Top\r\n"
                                    ",,,,m,in,lb/ft,,m\r\n"));
}

TEST_F(CombinedExport, ADocumentThatDoesNotReadIsReportedAndTheOthersJoined) {
  const std::vector<std::string> wells = Wells(2);
  const ToolRun run = Export({wells[0], TestData("corrupted.kuv"), wells[1]},
                             {"--format", "csv", "--table", "Well", "--combine"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "kuv: " + TestData("corrupted.kuv") + ": Error : Token is invalid.\n");
  EXPECT_EQ(run.out, "source,object,row_id,Name,Depth\r\n" + wells[0] +
                         ",WellHeader,0,Well 1,1250.0\r\n" + wells[1] +
                         ",WellHeader,0,Well 2,1500.0\r\n");
}

TEST_F(CombinedExport, AFailedRunLeavesNothingBehind) {
  const std::vector<std::string> wells = Wells(2);
  // No document reads: the folder is never made.
  const ToolRun unread = Export({TestData("corrupted.kuv"), TestData("not_kuv.kuv")},
                                {"--format", "csv", "--combine", "-o", Path("none/")});
  EXPECT_EQ(unread.status, 1);
  EXPECT_THAT(unread.err, HasSubstr("kuv: no document holds a table\n"));
  EXPECT_FALSE(FileExists(Path("none")));
  const ToolRun missing = Export(
      wells, {"--format", "csv", "--table", "Nothing", "--combine", "-o", Path("nothing.csv")});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err, "kuv: no document holds a table 'Nothing'\n");
  EXPECT_FALSE(FileExists(Path("nothing.csv")));
}

TEST_F(CombinedExport, WrongChoicesAreUsageErrorsBeforeAnythingIsWritten) {
  const std::vector<std::string> wells = Wells(2);
  const ToolRun twice = Export({wells[0], wells[1], wells[0]},
                               {"--format", "csv", "--combine", "-o", Path("twice/")});
  EXPECT_EQ(twice.status, 2);
  EXPECT_EQ(twice.err, "kuv: " + wells[0] + " is given twice; each document is combined once\n");
  EXPECT_FALSE(FileExists(Path("twice")));
  EXPECT_EQ(Export(wells, {"--format", "json", "--combine", "-o", Path("j/")}).status, 2);
  EXPECT_EQ(Export(wells, {"--format", "csv", "--combine"}).status, 2);  // no folder
  EXPECT_EQ(
      Export(wells, {"--format", "csv", "--combine", "--table", "Well", "-o", Path("")}).status,
      2);  // a folder for one file
  EXPECT_FALSE(FileExists(Path("j")));
}

}  // namespace
}  // namespace kuv::tool
