// kuv view: one self-contained page, beside the document or where -o
// says, stored as the tool stores its outputs, holding the document's
// tables and their plots. What the page shows in a browser is tested in
// tests/browser.
#include <nlohmann/json.hpp>
#include <string>

#include "tool_test_fixture.h"

namespace kuv::tool {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

class View : public ToolTest {
 protected:
  void SetUp() override {
    ToolTest::SetUp();
    RegisterBundledTemplate();
  }

  // A copy of an example in the test's folder, which the page goes beside.
  std::string CopyOfExample(const std::string& name) const {
    WriteFile(Path(name), ReadFile(Example(name)));
    return Path(name);
  }
};

// The JSON in the page's script element of that id.
json ScriptData(const std::string& page, const std::string& id) {
  const std::string open = "<script type=\"application/json\" id=\"" + id + "\">";
  const std::size_t at = page.find(open);
  if (at == std::string::npos) return json();
  const std::size_t start = at + open.size();
  return json::parse(page.substr(start, page.find("</script>", start) - start));
}

std::string LogDocument(const std::string& author, const std::string& definitions,
                        const std::string& content) {
  return "<?xml version='1.0'?>\n<KUV Version='2.0'>\n<BusinessObject ID='WellLog' Author='" +
         author + "' Version='1' WellID='W-1' Date='20240320T08:15:00000'>\n<DataDescription>\n" +
         definitions + "</DataDescription>\n" + content + "</BusinessObject>\n</KUV>\n";
}

TEST_F(View, PageGoesBesideTheDocumentWithItsTablesAndTracks) {
  const std::string log = CopyOfExample("kestrel3_log.kuv");
  const ToolRun run = Run({"view", log});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "");
  const std::string page = ReadFile(log + ".html");
  EXPECT_THAT(page, StartsWith("<!DOCTYPE html>\n"));
  EXPECT_EQ(page.substr(page.size() - 8), "</html>\n");

  const json index = ScriptData(page, "kuv-index");
  EXPECT_EQ(index["file"], "kestrel3_log.kuv");
  EXPECT_EQ(index["bytes"], fs::file_size(log));
  EXPECT_EQ(index["complete"], true);
  ASSERT_EQ(index["objects"].size(), 1u);
  EXPECT_EQ(index["objects"][0]["id"], "WellLog");
  EXPECT_EQ(index["objects"][0]["wellId"], "KES-3");
  EXPECT_EQ(index["objects"][0]["values"], 220);
  EXPECT_EQ(index["objects"][0]["tables"],
            json::parse(R"([{"name":"Curve","rows":5},{"name":"Sample","rows":41}])"));

  const json object = ScriptData(page, "kuv-object-0");
  EXPECT_EQ(object["nullValue"], -999.25);
  EXPECT_EQ(object["definitions"]["fields"][3], json::parse(R"(["Sample","DEPT","m","float"])"));
  const json& sample = object["tables"][1];
  ASSERT_EQ(sample["columns"].size(), 5u);
  EXPECT_EQ(sample["columns"][0]["field"], "DEPT");
  EXPECT_EQ(sample["columns"][0]["unit"], "m");
  EXPECT_EQ(sample["columns"][0]["numeric"], true);
  ASSERT_EQ(sample["columns"][0]["values"].size(), 41u);
  EXPECT_EQ(sample["columns"][0]["values"][0], "2590.0");
  EXPECT_EQ(sample["columns"][2]["values"][17], "-999.25");  // RHOB's texts as they are
  EXPECT_FALSE(object["tables"][0].contains("plot"));        // Curve holds texts only
  // DEPT is the depth (column 0), each other column a track.
  const json& plot = sample["plot"];
  EXPECT_EQ(plot["depth"], 0);
  EXPECT_EQ(plot["top"], 2590);
  EXPECT_EQ(plot["bottom"], 2610);
  EXPECT_EQ(plot["rows"], 492);
  ASSERT_EQ(plot["tracks"].size(), 4u);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(plot["tracks"][i]["column"], i + 1);
  EXPECT_EQ(plot["tracks"][0]["least"], 32.24);
  EXPECT_EQ(plot["tracks"][0]["greatest"], 117.59);
  EXPECT_EQ(plot["tracks"][1]["least"], 2.281);  // not RHOB's null value
  EXPECT_EQ(plot["tracks"][3]["log"], true);     // RT, a resistivity
  EXPECT_FALSE(plot["tracks"][0].contains("log"));
}

TEST_F(View, PagesFetchNothing) {
  for (const char* name :
       {"kestrel3_casing_tops.kuv", "kestrel3_header_survey.kuv", "kestrel3_log.kuv"}) {
    const ToolRun run = Run({"view", Example(name), "-o", Path("page.html")});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string page = ReadFile(Path("page.html"));
    EXPECT_THAT(page, HasSubstr("content=\"default-src 'none';"));
    for (const char* fetch : {"http:", "https:", "<link", " src=", "url(", "@import"}) {
      EXPECT_THAT(page, Not(HasSubstr(fetch))) << name;
    }
  }
}

TEST_F(View, NestedTablesNameTheRowsThatHoldThem) {
  const ToolRun run = Run({"view", Example("kestrel3_casing_tops.kuv"), "-o", Path("p.html")});
  ASSERT_EQ(run.status, 0) << run.err;
  const json casing = ScriptData(ReadFile(Path("p.html")), "kuv-object-0");
  const json& stages = casing["tables"][1];
  EXPECT_EQ(stages["name"], "CementStage");
  EXPECT_EQ(stages["parents"], json::parse(R"({"tables":["Casing"],"rows":[1,2,2,3,3,3,4]})"));
  // Casing's first numeric field, OD, is its vertical axis; Name and
  // Grade are texts.
  const json& plot = casing["tables"][0]["plot"];
  EXPECT_EQ(casing["tables"][0]["columns"][plot["depth"].get<int>()]["field"], "OD");
  EXPECT_EQ(plot["tracks"].size(), 3u);
}

TEST_F(View, TextsCannotEndTheScriptTheyStandIn) {
  // An attribute may hold "</script" and a blank, which would end the
  // element in HTML; non-ASCII bytes are decoded from code page 1252.
  WriteFile(Path("t.kuv"), LogDocument("</script x", "<TableDef Table='A'/>\n",
                                       "<A>\n<\xe6>caf\xe9 \x80</\xe6>\n</A>\n"));
  const ToolRun run = Run({"view", Path("t.kuv")});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string page = ReadFile(Path("t.kuv.html"));
  EXPECT_THAT(page, Not(HasSubstr("</script x")));
  EXPECT_EQ(ScriptData(page, "kuv-index")["objects"][0]["author"], "</script x");
  const json column = ScriptData(page, "kuv-object-0")["tables"][0]["columns"][0];
  EXPECT_EQ(column["field"], "\u00e6");
  EXPECT_EQ(column["values"][0], "caf\u00e9 \u20ac");
}

TEST_F(View, MissingValuesNullValuesAndTextsThatAreNoNumberBreakTheCurve) {
  const std::string definitions =
      "<TableDef Table='LogRun'/>\n<TableDef Table='Sample'/>\n"
      "<FieldDef Table='LogRun' Field='NullValue' Unit='' Type='float'/>\n"
      "<FieldDef Table='Sample' Field='DEPT' Unit='m' Type='float'/>\n"
      "<FieldDef Table='Sample' Field='GR' Unit='gAPI' Type='float'/>\n";
  std::string rows;
  const char* values[] = {"10", "11", "-1", "12", "abc", "13", "", "14"};
  for (int i = 0; i < 8; ++i) {
    rows += "<DEPT>" + std::to_string(100 + i) + "</DEPT>\n<GR>" + values[i] + "</GR>\n";
  }
  WriteFile(Path("t.kuv"),
            LogDocument("a", definitions,
                        "<LogRun>\n<NullValue>-1</NullValue>\n</LogRun>\n<Sample>\n" + rows +
                            "</Sample>\n"));
  const ToolRun run = Run({"view", Path("t.kuv")});
  ASSERT_EQ(run.status, 0) << run.err;
  const json object = ScriptData(ReadFile(Path("t.kuv.html")), "kuv-object-0");
  EXPECT_EQ(object["nullValue"], -1);
  const json& track = object["tables"][1]["plot"]["tracks"][0];
  const std::string path = track["path"];
  // Four strokes: 10-11, 12, 13 and 14; the scale runs from 10 to 14.
  EXPECT_EQ(std::count(path.begin(), path.end(), 'M'), 4) << path;
  EXPECT_EQ(track["least"], 10);
  EXPECT_EQ(track["greatest"], 14);
}

TEST_F(View, OutputGoesToAFileAFolderOrStandardOutput) {
  const std::string log = CopyOfExample("kestrel3_log.kuv");
  ToolRun run = Run({"view", log, "-o", Path("named.html")});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(FileExists(Path("named.html")));
  EXPECT_FALSE(FileExists(log + ".html"));

  fs::create_directory(Path("pages"));
  run = Run({"view", log, "-o", Path("pages")});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ReadFile(Path("pages/kestrel3_log.kuv.html")), ReadFile(Path("named.html")));

  run = Run({"view", log, "-o", "-"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, ReadFile(Path("named.html")));
}

TEST_F(View, StandardInputNeedsTheNameOfItsPage) {
  Streams streams;
  streams.input = Example("kestrel3_log.kuv");
  ToolRun run = Run({"view", "-"}, streams);
  EXPECT_EQ(run.status, 2);
  EXPECT_THAT(run.err, HasSubstr("-o PAGE.html"));
  run = Run({"view", "-", "-o", Path("in.html")}, streams);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ScriptData(ReadFile(Path("in.html")), "kuv-index")["file"], "standard input");
}

TEST_F(View, NeverReplacesTheDocumentNorLeavesAPartialPage) {
  const std::string log = CopyOfExample("kestrel3_log.kuv");
  ToolRun run = Run({"view", log, "-o", log});
  EXPECT_EQ(run.status, 2);
  EXPECT_THAT(run.err, HasSubstr("would replace the document itself"));
  EXPECT_EQ(ReadFile(log), ReadFile(Example("kestrel3_log.kuv")));

  WriteFile(Path("bad.kuv"), ReadFile(TestData("corrupted.kuv")));
  WriteFile(Path("bad.kuv.html"), "old page");
  run = Run({"view", Path("bad.kuv")});
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.err, StartsWith("kuv: Error : "));
  EXPECT_EQ(ReadFile(Path("bad.kuv.html")), "old page");
  int files = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder_)) ++files;
  EXPECT_EQ(files, 6);  // config, the two copies, the old page, and the runs' output files
}

TEST_F(View, APageOfALargeDocumentStaysWithinOneAndAHalfTimesItsSize) {
  WriteFile(Path("big.kuv"), BigDocument(60000));
  const ToolRun run = Run({"view", Path("big.kuv")});
  ASSERT_EQ(run.status, 0) << run.err;
  const auto document = static_cast<double>(fs::file_size(Path("big.kuv")));
  const auto page = static_cast<double>(fs::file_size(Path("big.kuv.html")));
  EXPECT_GT(document, 2e6);
  EXPECT_LE(page, 1.5 * document);
  // 60 000 samples are drawn in the plot's 600 pixel rows.
  const json object = ScriptData(ReadFile(Path("big.kuv.html")), "kuv-object-0");
  EXPECT_EQ(object["tables"][0]["plot"]["rows"], 600);
  EXPECT_LT(object["tables"][0]["plot"]["tracks"][0]["path"].get<std::string>().size(), 10000u);
}

TEST_F(View, APageOfManySmallTablesStaysWithinOneAndAHalfTimesItsSize) {
  // Where every table is small, the plots' share of the page is largest.
  const std::string example = ReadFile(Example("kestrel3_casing_tops.kuv"));
  const std::size_t first = example.find("<BusinessObject");
  const std::string objects = example.substr(first, example.rfind("</KUV>") - first);
  std::string document = example.substr(0, first);
  while (document.size() < 1500000) document += objects;
  WriteFile(Path("small.kuv"), document + "</KUV>\n");
  const ToolRun run = Run({"view", Path("small.kuv")});
  ASSERT_EQ(run.status, 0) << run.err;
  const auto page = static_cast<double>(fs::file_size(Path("small.kuv.html")));
  EXPECT_LE(page, 1.5 * static_cast<double>(fs::file_size(Path("small.kuv"))));
  EXPECT_GT(ScriptData(ReadFile(Path("small.kuv.html")), "kuv-index")["objects"].size(), 600u);
}

}  // namespace
}  // namespace kuv::tool
