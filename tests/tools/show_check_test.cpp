// kuv show and kuv check, and the exit statuses of the command line.
#include <nlohmann/json.hpp>
#include <string>

#include "tool_test_fixture.h"

namespace kuv::tool {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

class ShowCheck : public ToolTest {};

TEST_F(ShowCheck, ShowPrintsHeadersAndAnIndentedTreeWithUnits) {
  RegisterBundledTemplate();
  const ToolRun run = Run({"show", Example("kestrel3_casing_tops.kuv")});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_THAT(run.out, HasSubstr("Object CasingStrings\n"
                                 "  Author:  t.aasen\n"
                                 "  Version: 1\n"
                                 "  WellID:  KES-3\n"
                                 "  Date:    20240318T14:05:00000\n"
                                 "  Table Casing\n"
                                 "    Row 1\n"
                                 "      Name: Conductor\n"
                                 "      OD: 30.000 in\n"));
  // Rows are numbered within their table; child tables hang under their row.
  EXPECT_THAT(run.out, HasSubstr("    Row 3\n"
                                 "      Name: Intermediate\n"
                                 "      OD: 13.375 in\n"
                                 "      Weight: 72.00 lb/ft\n"
                                 "      Grade: N-80\n"
                                 "      Top: 137.40 m\n"
                                 "      Bottom: 1645.00 m\n"
                                 "      Table CementStage\n"
                                 "        Row 1\n"
                                 "          Stage: 1\n"
                                 "          Top: 1150.00 m\n"
                                 "          Bottom: 1645.00 m\n"
                                 "          Volume: 41.2 m3\n"
                                 "          Slurry: Class G 1.90 SG\n"
                                 "        Row 2\n"
                                 "          Stage: 2\n"));
  EXPECT_THAT(run.out, HasSubstr("\n\nObject FormationTops\n"));
}

TEST_F(ShowCheck, ShowDecodesWithTheChosenEncodingAndEscapesControls) {
  RegisterBundledTemplate();
  ToolRun run = Run({"show", TestData("nested.kuv")});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(run.out, HasSubstr("c1: \u20ac \\u0081 \u0178 \u00e6 kg\n"));
  EXPECT_THAT(run.out, HasSubstr("a2: two\\nlines,\\ttab\n"));
  run = Run({"show", TestData("nested.kuv"), "--encoding", "latin1"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(run.out, HasSubstr("c1: \\u0080 \\u0081 \\u009f \u00e6 kg\n"));
  // Bytes that are not UTF-8 are shown replaced, not dropped.
  run = Run({"show", TestData("nested.kuv"), "--encoding", "utf-8"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(run.out, HasSubstr("Author:  T. \ufffdstby\n"));
}

TEST_F(ShowCheck, CheckReportsEachFileAndFailsWhenOneFails) {
  RegisterBundledTemplate();
  ToolRun run = Run({"check", Example("kestrel3_log.kuv"), TestData("nested.kuv")});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, Example("kestrel3_log.kuv") + ": ok, 1 object, 220 values\n" +
                         TestData("nested.kuv") + ": ok, 3 objects, 17 values\n");

  run = Run({"check", Example("kestrel3_log.kuv"), Path("missing.kuv"), TestData("corrupted.kuv"),
             TestData("not_kuv.kuv")});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out,
            Example("kestrel3_log.kuv") + ": ok, 1 object, 220 values\n" + Path("missing.kuv") +
                ": cannot be opened: No such file or directory\n" + TestData("corrupted.kuv") +
                ": Error : Token is invalid.\n" + TestData("not_kuv.kuv") +
                ": Error : This is not a KUV file ( missing KUV declaration statement ).\n");
}

// The JSON report is one document, whatever its file names hold: a name
// that is not UTF-8 is shown with replacement characters.
TEST_F(ShowCheck, CheckJsonIsOneWellFormedDocument) {
  RegisterBundledTemplate();
  const std::string odd = Path("w\xe6ll.kuv");
  WriteFile(odd, ReadFile(Example("kestrel3_log.kuv")));
  const ToolRun run = Run({"check", "--format", "json", "-j", "2", Example("kestrel3_log.kuv"),
                           Path("missing.kuv"), odd});
  EXPECT_EQ(run.status, 1);
  const nlohmann::json report = nlohmann::json::parse(run.out, nullptr, false);
  ASSERT_FALSE(report.is_discarded()) << run.out;
  const nlohmann::json& files = report.at("files");
  ASSERT_EQ(files.size(), 3u);
  EXPECT_EQ(files[0].at("file"), Example("kestrel3_log.kuv"));
  EXPECT_EQ(files[0].at("ok"), true);
  EXPECT_EQ(files[0].at("objects"), 1);
  EXPECT_EQ(files[0].at("values"), 220);
  EXPECT_EQ(files[0].at("problems"), nlohmann::json::array());
  EXPECT_EQ(files[1].at("ok"), false);
  EXPECT_EQ(files[1].at("error"), "Error : Failed to open input file.: " + Path("missing.kuv") +
                                      " (No such file or directory)");
  EXPECT_EQ(files[2].at("file"), Path("w\ufffdll.kuv"));
  EXPECT_EQ(files[2].at("ok"), true);
}

TEST_F(ShowCheck, DocumentErrorsGiveStatusOneAndTheLibrarysMessage) {
  RegisterBundledTemplate();
  ToolRun run = Run({"show", Path("missing.kuv")});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "kuv: Error : Failed to open input file.: " + Path("missing.kuv") +
                         " (No such file or directory)\n");
  run = Run({"show", TestData("corrupted.kuv")});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "kuv: Error : Token is invalid.\n");
}

TEST_F(ShowCheck, UsageErrorsGiveStatusTwoAndHelpGivesZero) {
  EXPECT_EQ(Run({}).status, 2);
  EXPECT_EQ(Run({"frobnicate"}).status, 2);
  EXPECT_EQ(Run({"show"}).status, 2);
  EXPECT_EQ(Run({"check"}).status, 2);
  EXPECT_EQ(Run({"show", "a.kuv", "--encoding", "ebcdic"}).status, 2);
  EXPECT_EQ(Run({"export", "a.kuv"}).status, 2);  // --format is required
  EXPECT_EQ(Run({"export", "a.kuv", "--format", "xml"}).status, 2);
  EXPECT_EQ(Run({"import", "a.json"}).status, 2);  // -o is required
  EXPECT_THAT(Run({"show", "a.kuv", "--bogus"}).err, HasSubstr("bogus"));
  for (const char* command : {"show", "check", "export", "import", "template"}) {
    const ToolRun help = Run({command, "--help"});
    EXPECT_EQ(help.status, 0) << command;
    EXPECT_THAT(help.out, HasSubstr(command)) << command;
  }
  const ToolRun help = Run({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_THAT(help.out, HasSubstr("export"));
}

TEST_F(ShowCheck, NoProgressOrNoticeWhenStderrIsNotATerminal) {
  RegisterBundledTemplate();
  const ToolRun run =
      Run({"export", Example("kestrel3_log.kuv"), "--format", "json", "-o", Path("w.json")});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, "");
}

TEST_F(ShowCheck, DeeplyNestedDocumentsShowAndCheckWithoutRecursion) {
  RegisterBundledTemplate();
  const int depth = 20000;
  std::string document =
      "<?xml version='1.0'?>\n<KUV Version='2.0'>\n"
      "<BusinessObject ID='Deep' Author='' Version='' WellID='' "
      "Date='20021001T14:05:00000'>\n<DataDescription>\n</DataDescription>\n";
  for (int i = 0; i < depth; ++i) document += "<T" + std::to_string(i) + ">\n<f>v</f>\n";
  for (int i = depth - 1; i >= 0; --i) document += "</T" + std::to_string(i) + ">\n";
  document += "</BusinessObject>\n</KUV>\n";
  WriteFile(Path("deep.kuv"), document);
  ToolRun run = Run({"check", Path("deep.kuv")});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(run.out, HasSubstr(": ok, 1 object, 20000 values"));
  run = Run({"show", Path("deep.kuv")});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(run.out, HasSubstr("Table T19999\n"));
  EXPECT_THAT(run.out, Not(HasSubstr("Row 2")));
}

}  // namespace
}  // namespace kuv::tool

namespace kuv::tool {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

class ShowDefinitions : public ToolTest {};

TEST_F(ShowDefinitions, ListsTablesWithParentsAndFieldsWithTypesAndUnits) {
  RegisterBundledTemplate();
  const ToolRun run = Run({"show", "--definitions", TestData("nested.kuv")});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(run.out, HasSubstr("  Data description\n"
                                 "    Table A\n"
                                 "      a1: float, m\n"
                                 "      a2: string\n"
                                 "    Table B (in A)\n"
                                 "      b1: int, s\n"
                                 "    Table C (in A)\n"
                                 "      c1: float, kg\n"
                                 "    Table D (in B)\n"
                                 "      d1: string\n"
                                 "    Table Z\n"));
  EXPECT_THAT(Run({"show", TestData("nested.kuv")}).out, Not(HasSubstr("Data description")));
}

TEST_F(ShowDefinitions, FieldsOfAnUndeclaredTableAreShownUnderIt) {
  RegisterBundledTemplate();
  WriteFile(Path("loose.kuv"),
            "<?xml version='1.0'?>\n<KUV Version='2.0'>\n"
            "<BusinessObject ID='X' Author='a' Version='1' WellID='W' "
            "Date='20240320T08:15:00000'>\n<DataDescription>\n"
            "<FieldDef Table='Loose' Field='f' Unit='m' Type='float'/>\n"
            "</DataDescription>\n</BusinessObject>\n</KUV>\n");
  const ToolRun run = Run({"show", "--definitions", Path("loose.kuv")});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(run.out, HasSubstr("  Data description\n"
                                 "    Table Loose (not declared)\n"
                                 "      f: float, m\n"));
}

}  // namespace
}  // namespace kuv::tool
