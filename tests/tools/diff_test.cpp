// kuv diff: what changed between two versions, as lines, JSON or counts,
// with diff(1)'s exit statuses.
#include <nlohmann/json.hpp>
#include <string>

#include "tool_test_fixture.h"
#include "well_documents.h"

namespace kuv::tool {
namespace {

using nlohmann::json;
using ::testing::HasSubstr;

class DiffCommand : public ToolTest {
 protected:
  void SetUp() override {
    ToolTest::SetUp();
    RegisterBundledTemplate();
  }

  // A copy of a document with each of the edits (from, to) made once.
  std::string Edited(const std::string& original,
                     const std::vector<std::pair<std::string, std::string>>& edits) {
    std::string bytes = ReadFile(original);
    for (const auto& [from, to] : edits) {
      const std::size_t at = bytes.find(from);
      EXPECT_NE(at, std::string::npos) << from;
      if (at != std::string::npos) bytes.replace(at, from.size(), to);
    }
    const std::string path = Path("edited-" + original.substr(original.rfind('/') + 1));
    WriteFile(path, bytes);
    return path;
  }
};

TEST_F(DiffCommand, SameDocumentsSayNothingAndExitZero) {
  const std::string example = Example("kestrel3_casing_tops.kuv");
  const ToolRun run = Run({"diff", example, example});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "");
  const ToolRun summary = Run({"diff", example, example, "--summary"});
  EXPECT_EQ(summary.status, 0);
  EXPECT_THAT(summary.out, HasSubstr("values: 0 added, 0 removed, 0 changed\n"));
}

TEST_F(DiffCommand, ChangesReadAsADiffWithObjectRowKeyAndField) {
  const std::string edited =
      Edited(Example("kestrel3_casing_tops.kuv"),
             {{"Author='m.rivas'", "Author='j.doe'"},
              {"<OD>20.000</OD>", "<OD>20.001</OD>"},
              {"<Volume>41.2</Volume>", "<Volume>41.25</Volume>"},
              {"<Formation>Sele Formation</Formation>\n<MD>1688.00</MD>\n<TVD>1520.18</TVD>\n"
               "<Lithology>Shale</Lithology>\n",
               ""},
              {"Field='TVD' Unit='m'", "Field='TVD' Unit='ft'"}});
  const ToolRun run = Run({"diff", Example("kestrel3_casing_tops.kuv"), edited});
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_EQ(run.out,
            "~ CasingStrings / Casing[Name=Surface] / OD: 20.000 \u2192 20.001\n"
            "~ CasingStrings / Casing[Name=Intermediate]/CementStage[Stage=1] / Volume: 41.2 "
            "\u2192 41.25\n"
            "~ FormationTops: Author: m.rivas \u2192 j.doe\n"
            "~ FormationTops: FieldDef Top.TVD: Unit: m \u2192 ft\n"
            "- FormationTops / Top[Formation=Sele Formation]: row (Formation=Sele Formation, "
            "MD=1688.00, TVD=1520.18, Lithology=Shale)\n");

  // Numbers within the tolerance are the same; the rest stays.
  const ToolRun tolerant =
      Run({"diff", Example("kestrel3_casing_tops.kuv"), edited, "--tolerance", "0.1%"});
  EXPECT_EQ(tolerant.status, 1);
  EXPECT_THAT(tolerant.out, ::testing::Not(HasSubstr("OD:")));
  EXPECT_THAT(tolerant.out, HasSubstr("Volume: 41.2"));  // 0.12 % apart

  const ToolRun counts =
      Run({"diff", Example("kestrel3_casing_tops.kuv"), edited, "--summary", "--tolerance", "1"});
  EXPECT_EQ(counts.status, 1);
  EXPECT_EQ(counts.out,
            "objects: 0 added, 0 removed\nheaders: 1 changed\n"
            "table definitions: 0 added, 0 removed, 0 changed\n"
            "field definitions: 0 added, 0 removed, 1 changed\ntables: 0 added, 0 removed\n"
            "rows: 0 added, 1 removed\nvalues: 0 added, 0 removed, 0 changed\n");
}

TEST_F(DiffCommand, JsonGivesEachDifferenceWithItsRowsIds) {
  const std::string edited = Edited(Example("kestrel3_casing_tops.kuv"),
                                    {{"<Volume>41.2</Volume>", "<Volume>41.25</Volume>"}});
  const ToolRun run =
      Run({"diff", Example("kestrel3_casing_tops.kuv"), edited, "--format", "json"});
  EXPECT_EQ(run.status, 1) << run.err;
  const json report = json::parse(run.out);
  EXPECT_EQ(report["format"], "kuv-diff");
  EXPECT_EQ(report["same"], false);
  ASSERT_EQ(report["differences"].size(), 1u);
  EXPECT_EQ(report["differences"][0],
            json::parse(R"({"part": "value", "change": "changed", "object": "CasingStrings",
              "objectNumber": 1, "table": "CementStage",
              "row": "Casing[Name=Intermediate]/CementStage[Stage=1]", "beforeRow": 1,
              "afterRow": 1, "field": "Volume", "occurrence": 0, "attribute": "",
              "before": "41.2", "after": "41.25"})"));
  EXPECT_EQ(report["summary"]["values"], json::parse(R"({"added":0,"removed":0,"changed":1})"));
  // Texts of the documents' code page come out as UTF-8.
  const std::string renamed = Edited(TestData("nested.kuv"), {{"T. \xd8stby", "T. Ostby"}});
  const ToolRun nested = Run({"diff", TestData("nested.kuv"), renamed, "--format", "json"});
  EXPECT_EQ(nested.status, 1);
  EXPECT_EQ(json::parse(nested.out)["differences"][0]["before"], "T. \u00d8stby");
}

TEST_F(DiffCommand, GeneratedVersionsDifferInTheirRowsAndObjects) {
  WriteFile(Path("one.kuv"), WellDocument(2, 300));
  std::string other = WellDocument(2, 301);                         // one sample more
  other.replace(other.find("<GR>18.5</GR>"), 13, "<GR>18.6</GR>");  // row 88
  WriteFile(Path("two.kuv"), other);
  const ToolRun run = Run({"diff", Path("one.kuv"), Path("two.kuv")});
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_EQ(run.out,
            "~ Log / Sample[DEPT=188.0] / GR: 18.5 \u2192 18.6\n"
            "+ Log / Sample[DEPT=400.0]: row (DEPT=400.0, GR=2.5, RT=0.25)\n");
  // Rows keyed by another field: a field whose texts repeat pairs them in
  // order.
  const ToolRun keyed =
      Run({"diff", Path("one.kuv"), Path("two.kuv"), "--key", "Sample=RT", "--summary"});
  EXPECT_EQ(keyed.status, 1);
  EXPECT_THAT(keyed.out, HasSubstr("rows: 1 added, 0 removed\n"));
}

TEST_F(DiffCommand, TroubleExitsTwo) {
  const std::string example = Example("kestrel3_log.kuv");
  const ToolRun corrupted = Run({"diff", example, TestData("corrupted.kuv")});
  EXPECT_EQ(corrupted.status, 2);
  EXPECT_EQ(corrupted.err, "kuv: " + TestData("corrupted.kuv") + ": Error : Token is invalid.\n");
  EXPECT_EQ(corrupted.out, "");
  EXPECT_EQ(Run({"diff", Path("missing.kuv"), example}).status, 2);
  const ToolRun key = Run({"diff", example, example, "--key", "Sample"});
  EXPECT_EQ(key.status, 2);
  EXPECT_EQ(key.err, "kuv: --key takes TABLE=FIELD, not 'Sample'\n");
  const ToolRun tolerance = Run({"diff", example, example, "--tolerance", "-1"});
  EXPECT_EQ(tolerance.status, 2);
  EXPECT_THAT(tolerance.err, HasSubstr("--tolerance takes a number"));
  EXPECT_EQ(Run({"diff", example}).status, 2);
  EXPECT_EQ(Run({"diff", "-", "-"}).status, 2);
  // A report that cannot be written is trouble too.
  Streams full;
  full.output = "/dev/full";
  EXPECT_EQ(Run({"diff", example, TestData("nested.kuv")}, full).status, 2);
  // One document may come from standard input.
  Streams piped;
  piped.input = example;
  EXPECT_EQ(Run({"diff", "-", example}, piped).status, 0);
}

}  // namespace
}  // namespace kuv::tool
