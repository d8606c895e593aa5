// kuv check --strict: damage the library reads without complaint is
// reported with its place, and fails the check; plain check is unchanged.
#include "strict_check.h"

#include <optional>
#include <sstream>
#include <string>

#include "tool_test_fixture.h"

namespace kuv::tool {
namespace {

using ::testing::HasSubstr;

// The first lines of a file, as `head -n` cuts a transfer.
std::string FirstLines(const std::string& bytes, int lines) {
  std::size_t end = 0;
  for (int i = 0; i < lines && end != std::string::npos; ++i) end = bytes.find('\n', end) + 1;
  return bytes.substr(0, end);
}

void Replace(std::string* text, const std::string& from, const std::string& to) {
  const std::size_t at = text->find(from);
  ASSERT_NE(at, std::string::npos) << from;
  text->replace(at, from.size(), to);
}

class StrictCheck : public ToolTest {
 protected:
  void SetUp() override {
    ToolTest::SetUp();
    RegisterBundledTemplate();
  }
};

TEST_F(StrictCheck, CutDocumentReadsButFailsTheStrictCheck) {
  WriteFile(Path("t.kuv"), FirstLines(ReadFile(Example("kestrel3_log.kuv")), 40));
  const ToolRun plain = Run({"check", Path("t.kuv")});
  EXPECT_EQ(plain.status, 0);
  EXPECT_EQ(plain.out, Path("t.kuv") + ": ok, 1 object, 22 values\n");

  const ToolRun strict = Run({"check", "--strict", Path("t.kuv")});
  EXPECT_EQ(strict.status, 1);
  EXPECT_EQ(strict.out, Path("t.kuv") +
                            ": the document ends before its closing root tag: it was cut short\n" +
                            Path("t.kuv") + ": 1 problem, 1 object, 22 values\n");
}

TEST_F(StrictCheck, SoundDocumentsPass) {
  const ToolRun run = Run({"check", "--strict", Example("kestrel3_casing_tops.kuv"),
                           Example("kestrel3_header_survey.kuv"), Example("kestrel3_log.kuv")});
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_THAT(run.out, HasSubstr("kestrel3_log.kuv: ok, 1 object, 220 values\n"));
}

TEST_F(StrictCheck, EachProblemIsReportedWithItsPlace) {
  std::string bytes = ReadFile(Example("kestrel3_log.kuv"));
  Replace(&bytes, "<GR>113.51</GR>", "<GR>abc</GR>");
  Replace(&bytes, "Unit='gAPI'", "Unit='API'");
  Replace(&bytes, "Type='float'/>\n<FieldDef Table='Sample' Field='NPHI'",
          "Type='int'/>\n<FieldDef Table='Sample' Field='NPHI'");
  Replace(&bytes, "20240320T08:15:00000", "20240231T08:15:00000");
  Replace(&bytes, "<RT>2.189</RT>", "<RT>2.189</RT>\n<XX>1</XX>");
  Replace(&bytes, "</Sample>", "<Loose>\n<Y>2</Y>\n</Loose>\n</Sample>");
  WriteFile(Path("b.kuv"), bytes);
  const ToolRun run = Run({"check", "--strict", Path("b.kuv")});
  EXPECT_EQ(run.status, 1);
  const std::string file = Path("b.kuv") + ": ";
  for (const char* line : {
           "object WellLog: its Date '20240231T08:15:00000' is not a valid timestamp",
           "object WellLog, table Sample, field GR: its unit 'API' differs from the template's "
           "'gAPI'",
           "object WellLog, table Sample, field GR: its type 'int' differs from the template's "
           "'float'",
           "object WellLog, table Sample, row 1, field GR: '108.86' is not of type int",
           "object WellLog, table Sample, row 1, field XX: the field is used but not declared",
           "object WellLog, table Sample, row 2, field GR: 'abc' is not of type int",
           "object WellLog, table Loose: the table is used but not declared",
       }) {
    EXPECT_THAT(run.out, HasSubstr(file + std::string(line) + "\n"));
  }
  // A field used without definition is said once, not for every row.
  EXPECT_EQ(run.out.find("field XX"), run.out.rfind("field XX"));
}

TEST_F(StrictCheck, TableNestedElsewhereThanDeclaredIsReported) {
  std::string bytes = ReadFile(TestData("nested.kuv"));
  Replace(&bytes, "<TableDef Table='D' Parent='B'/>", "<TableDef Table='D' Parent='C'/>");
  WriteFile(Path("n.kuv"), bytes);
  const ToolRun run = Run({"check", "--strict", Path("n.kuv")});
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.out,
              HasSubstr(", table B, row 1: table D stands here but is declared under C\n"));
}

TEST_F(StrictCheck, JsonReportHoldsEveryFileAndProblem) {
  WriteFile(Path("t.kuv"), FirstLines(ReadFile(Example("kestrel3_log.kuv")), 40));
  const ToolRun run = Run({"check", "--strict", "--format", "json", Path("t.kuv"),
                           Example("kestrel3_log.kuv"), Path("missing.kuv")});
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.out, HasSubstr("\"file\": \"" + Path("t.kuv") + "\""));
  EXPECT_THAT(run.out, HasSubstr("\"problem\": \"the document ends before its closing root tag"));
  EXPECT_THAT(run.out, HasSubstr("\"values\": 220"));
  EXPECT_THAT(run.out, HasSubstr("\"error\": \"Error : Failed to open input file."));
}

TEST(StrictValues, KindsReadAsTheFramesReadThem) {
  EXPECT_TRUE(FitsKind("2.5e3", ValueKind::kFloat));
  EXPECT_TRUE(FitsKind(" -1.25 ", ValueKind::kFloat));
  EXPECT_TRUE(FitsKind("", ValueKind::kFloat));  // missing
  EXPECT_FALSE(FitsKind("1,5", ValueKind::kFloat));
  EXPECT_FALSE(FitsKind("0x10", ValueKind::kFloat));
  EXPECT_FALSE(FitsKind("1 2", ValueKind::kFloat));
  // Decimal forms at their edges, and what only strtod knows.
  for (const char* number : {"7.", ".5", "+.5E-3", "-0", "1e5", "inf", "-Infinity", "nan"}) {
    EXPECT_TRUE(FitsKind(number, ValueKind::kFloat)) << number;
  }
  for (const char* text : {".", "-", "e5", "1e", "1e+", "1.5.5", "--1", "1e5x", "nanx"}) {
    EXPECT_FALSE(FitsKind(text, ValueKind::kFloat)) << text;
  }
  EXPECT_TRUE(FitsKind("-42", ValueKind::kInteger));
  EXPECT_FALSE(FitsKind("4.2", ValueKind::kInteger));
  EXPECT_FALSE(FitsKind("-", ValueKind::kInteger));
  EXPECT_TRUE(FitsKind("Yes", ValueKind::kBoolean));
  EXPECT_FALSE(FitsKind("maybe", ValueKind::kBoolean));
  EXPECT_TRUE(FitsKind("20240229T10:00:00000", ValueKind::kDate));
  EXPECT_FALSE(FitsKind("20230229T10:00:00000", ValueKind::kDate));
  EXPECT_FALSE(FitsKind("2024-02-29", ValueKind::kDate));
  EXPECT_EQ(KindOfType("Double"), ValueKind::kFloat);
  EXPECT_EQ(KindOfType("string"), ValueKind::kText);
  EXPECT_EQ(ParseBooleanWord("TRUE"), true);
  EXPECT_EQ(ParseBooleanWord("n"), false);
  EXPECT_EQ(ParseBooleanWord("0"), false);
  EXPECT_EQ(ParseBooleanWord(" yes"), std::nullopt);  // the caller trims
  EXPECT_EQ(ParseBooleanWord("truth"), std::nullopt);
}

}  // namespace
}  // namespace kuv::tool
