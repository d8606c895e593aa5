// kuv export: JSON that keeps the document, CSV of one table, and no
// output file when anything fails.
#include <nlohmann/json.hpp>
#include <string>

#include "tool_test_fixture.h"

namespace kuv::tool {
namespace {

using nlohmann::json;
using ::testing::HasSubstr;
using ::testing::StartsWith;

class Export : public ToolTest {
 protected:
  void SetUp() override {
    ToolTest::SetUp();
    RegisterBundledTemplate();
  }
};

TEST_F(Export, JsonKeepsHeaderDefinitionsAndNestedRows) {
  const ToolRun run = Run({"export", TestData("nested.kuv"), "--format", "json"});
  ASSERT_EQ(run.status, 0) << run.err;
  const json document = json::parse(run.out);
  EXPECT_EQ(document["format"], "kuv-json");
  EXPECT_EQ(document["formatVersion"], 2);
  ASSERT_EQ(document["objects"].size(), 3u);
  const json& sample = document["objects"][0];
  EXPECT_EQ(sample["id"], "Sample");
  EXPECT_EQ(sample["author"], "T. \u00d8stby");
  EXPECT_EQ(sample["version"], "7");
  EXPECT_EQ(sample["wellId"], "W&1 \"north\"");
  EXPECT_EQ(sample["date"], "20021001T14:05:00000");
  // Every definition, in the order the document lists them.
  EXPECT_EQ(sample["definitions"]["tables"],
            json::parse(R"([{"name":"A","parent":""},{"name":"B","parent":"A"},
                            {"name":"C","parent":"A"},{"name":"D","parent":"B"},
                            {"name":"Z","parent":""}])"));
  EXPECT_EQ(sample["definitions"]["fields"][0],
            json::parse(R"({"table":"A","field":"a1","unit":"m","type":"float"})"));

  const json& a = sample["tables"][0];
  EXPECT_EQ(a["name"], "A");
  ASSERT_EQ(a["rows"].size(), 3u);
  EXPECT_EQ(a["rows"][0]["values"],
            json::parse(R"([{"field":"a1","value":"1.5"},{"field":"a2","value":"  spaced  "}])"));
  const json& b = a["rows"][0]["tables"][0];
  EXPECT_EQ(b["name"], "B");
  ASSERT_EQ(b["rows"].size(), 2u);
  EXPECT_EQ(b["rows"][0]["tables"][0]["rows"][0]["values"][0]["value"], "deep");
  EXPECT_EQ(a["rows"][0]["tables"][1]["rows"][0]["values"][0]["value"],
            "\u20ac \u0081 \u0178 \u00e6");
  EXPECT_EQ(a["rows"][1]["values"][1]["value"], "");
  EXPECT_EQ(a["rows"][2]["values"][1]["value"], "two\nlines,\ttab");
  EXPECT_EQ(sample["tables"][1]["rows"][0]["values"][0]["value"], "\"quoted\" & >angled");

  const json& empty = document["objects"][1];
  EXPECT_TRUE(empty["tables"].empty());
  EXPECT_TRUE(empty["definitions"]["fields"].empty());
}

TEST_F(Export, JsonListsDefinitionsThatHoldNoValue) {
  // The template declares more survey fields than the sample fills.
  const ToolRun run = Run({"export", Example("kestrel3_header_survey.kuv"), "--format", "json",
                           "--object", "DeviationSurvey"});
  ASSERT_EQ(run.status, 0) << run.err;
  const json fields = json::parse(run.out)["objects"][0]["definitions"]["fields"];
  bool declaredDogLeg = false;
  for (const json& field : fields) declaredDogLeg = declaredDogLeg || field["field"] == "DogLeg";
  EXPECT_TRUE(declaredDogLeg) << fields;
}

TEST_F(Export, ObjectOptionSelectsOneObject) {
  const std::string document = Example("kestrel3_header_survey.kuv");
  ToolRun run = Run({"export", document, "--format", "json", "--object", "DeviationSurvey"});
  ASSERT_EQ(run.status, 0) << run.err;
  const json exported = json::parse(run.out);
  ASSERT_EQ(exported["objects"].size(), 1u);
  EXPECT_EQ(exported["objects"][0]["id"], "DeviationSurvey");
  EXPECT_EQ(exported["objects"][0]["tables"][0]["name"], "Survey");

  run = Run({"export", document, "--format", "json", "--object", "deviationsurvey", "-o",
             Path("out.json")});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "kuv: " + document + " has no object 'deviationsurvey'\n");
  EXPECT_FALSE(FileExists(Path("out.json")));
}

TEST_F(Export, CsvWritesOneHeaderLineThenNumberedRows) {
  const std::string document = Example("kestrel3_casing_tops.kuv");
  ToolRun run = Run({"export", document, "--format", "csv", "--object", "CasingStrings", "--table",
                     "Casing", "-o", Path("casing.csv")});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ReadFile(Path("casing.csv")),
            "row_id,Name,OD,Weight,Grade,Top,Bottom\r\n"
            "0,Conductor,30.000,309.72,X-52,137.40,210.00\r\n"
            "1,Surface,20.000,133.00,K-55,137.40,598.00\r\n"
            "2,Intermediate,13.375,72.00,N-80,137.40,1645.00\r\n"
            "3,Production,9.625,53.50,P-110,137.40,2612.00\r\n"
            "4,Liner,7.000,29.00,L-80,2540.00,2976.00\r\n");
  // A child table gathers the rows of every node of that name, each with
  // the row that holds it; a comma makes a cell quoted.
  run = Run({"export", document, "--format", "csv", "--object", "CasingStrings", "--table",
             "CementStage"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(run.out, HasSubstr("row_id,parent_table,parent_row_id,Stage,Top,Bottom,Volume,"
                                 "Slurry\r\n0,Casing,1,1,137.40,598.00,96.5,\"Lead 1.50 SG "
                                 "extended, tail 1.90 SG Class G\"\r\n1,Casing,2,1,1150.00,"
                                 "1645.00,41.2,Class G 1.90 SG\r\n"));
  // The only object and its only table need no options.
  run = Run({"export", Example("kestrel3_log.kuv"), "--format", "csv", "--table", "Sample"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(run.out, StartsWith("row_id,DEPT,GR,RHOB,NPHI,RT\r\n0,2590.0,"));
  run = Run({"export", document, "--format", "csv", "--object", "FormationTops"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(run.out, StartsWith("row_id,Formation,MD,TVD,Lithology\r\n0,"));
}

TEST_F(Export, CsvUnitsGoWhereAsked) {
  const std::vector<std::string> log = {
      "export", Example("kestrel3_log.kuv"), "--format", "csv", "--table", "Sample", "--units"};
  std::vector<std::string> arguments = log;
  arguments.push_back("header");
  ToolRun run = Run(arguments);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(run.out,
              StartsWith("row_id,DEPT [m],GR [gAPI],RHOB [g/cm3],NPHI [v/v],RT [ohm.m]\r\n0,"));
  arguments = log;
  arguments.push_back("row");
  run = Run(arguments);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(run.out, StartsWith("row_id,DEPT,GR,RHOB,NPHI,RT\r\n,m,gAPI,g/cm3,v/v,ohm.m\r\n0,"));
  run = Run({"export", Example("kestrel3_casing_tops.kuv"), "--format", "csv", "--object",
             "CasingStrings", "--table", "CementStage", "--units", "row"});
  EXPECT_THAT(run.out, HasSubstr("Slurry\r\n,,,,m,m,m3,\r\n0,"));
  run = Run({"export", Example("kestrel3_log.kuv"), "--format", "json", "--units", "row"});
  EXPECT_EQ(run.status, 2);
}

// Rows are numbered per table in a depth-first walk of the object, and a
// child row names the row of the parent table that holds it.
TEST_F(Export, CsvRowsOfNestedTablesNameTheirParentRow) {
  for (const auto& [table, expected] : std::vector<std::pair<std::string, std::string>>{
           {"B", "row_id,parent_table,parent_row_id,b1\r\n0,A,0,10\r\n1,A,0,11\r\n"},
           {"D", "row_id,parent_table,parent_row_id,d1\r\n0,B,0,deep\r\n"}}) {
    const ToolRun run = Run({"export", TestData("nested.kuv"), "--format", "csv", "--object",
                             "Sample", "--table", table});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, expected) << table;
  }
}

TEST_F(Export, CsvWithoutTableWritesEveryTableIntoTheFolder) {
  const ToolRun run = Run({"export", Example("kestrel3_casing_tops.kuv"), "--format", "csv",
                           "--object", "CasingStrings", "-o", Path("csv") + "/"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(ReadFile(Path("csv/kestrel3_casing_tops.Casing.csv")), StartsWith("row_id,Name,OD,"));
  EXPECT_THAT(ReadFile(Path("csv/kestrel3_casing_tops.CementStage.csv")),
              StartsWith("row_id,parent_table,parent_row_id,Stage,"));
  // Without a folder there is nowhere to put several tables.
  const ToolRun toStdout = Run({"export", Example("kestrel3_casing_tops.kuv"), "--format", "csv",
                                "--object", "CasingStrings"});
  EXPECT_EQ(toStdout.status, 2);
  EXPECT_THAT(toStdout.err, HasSubstr("-o FOLDER"));
}

TEST_F(Export, CsvAsksWhichObjectOrTableWhenThereAreSeveral) {
  const std::string document = Example("kestrel3_casing_tops.kuv");
  ToolRun run = Run({"export", document, "--format", "csv"});
  EXPECT_EQ(run.status, 2);
  EXPECT_THAT(run.err, HasSubstr("--table (Casing, CementStage, Top)"));
  run = Run({"export", document, "--format", "csv", "--object", "CasingStrings"});
  EXPECT_EQ(run.status, 2);
  EXPECT_THAT(run.err, HasSubstr("--table (Casing, CementStage)"));
  run =
      Run({"export", document, "--format", "csv", "--object", "CasingStrings", "--table", "Nope"});
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.err, HasSubstr("has no table 'Nope'"));
  run = Run({"export", document, "--format", "json", "--table", "Casing"});
  EXPECT_EQ(run.status, 2);
}

TEST_F(Export, FailuresLeaveNoOutputFileAndKeepAnExistingOne) {
  // Latin-1 bytes are not UTF-8: the export stops and says where.
  WriteFile(Path("out.json"), "previous");
  ToolRun run = Run({"export", TestData("nested.kuv"), "--format", "json", "--encoding", "utf-8",
                     "-o", Path("out.json")});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err,
            "kuv: object 'Sample', attribute Author: the text is not valid UTF-8; choose the "
            "document's encoding with --encoding\n");
  EXPECT_EQ(ReadFile(Path("out.json")), "previous");

  run = Run({"export", TestData("corrupted.kuv"), "--format", "json", "-o", Path("bad.json")});
  EXPECT_EQ(run.status, 1);
  EXPECT_FALSE(FileExists(Path("bad.json")));

  run = Run(
      {"export", Example("kestrel3_log.kuv"), "--format", "json", "-o", Path("no/such/dir.json")});
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.err, HasSubstr("cannot write"));
}

TEST_F(Export, CsvOfADocumentOfManyTablesNamesAFewOfThem) {
  std::string document = "<?xml version='1.0'?>\n<KUV Version='2.0'>\n";
  for (int i = 0; i < 12; ++i) {
    const std::string table = "T" + std::to_string(i);
    document += "<BusinessObject ID='O" + std::to_string(i) +
                "' Author='' Version='' WellID='' Date='20021001T14:05:00000'>\n"
                "<DataDescription>\n</DataDescription>\n<" +
                table + ">\n<f>1</f>\n</" + table + ">\n</BusinessObject>\n";
  }
  WriteFile(Path("many.kuv"), document + "</KUV>\n");
  const ToolRun run = Run({"export", Path("many.kuv"), "--format", "csv"});
  EXPECT_EQ(run.status, 2);
  EXPECT_THAT(run.err, HasSubstr("choose one with --table (T0, T1, T2, T3, T4, T5, T6, T7, T8, "
                                 "T9 and 2 more)"));
}

}  // namespace
}  // namespace kuv::tool
