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

// What reading passes over without complaint, and a document whose save
// would be refused, are reported with their place.
TEST_F(StrictCheck, WhatReadingPassesOverAndWhatWouldNotReadBackAreReported) {
  WriteFile(Path("l.kuv"),
            "<?xml version='1.0'?>\n<KUV Version='2.0'>\n<BusinessObject ID='Tops' Author='a' "
            "Version='1' WellID='w' Date='20240101T00:00:00000'>\n<DataDescription>\n"
            "<TableDef Table='Top'/>\n<FieldDef Table='Top' Field='Name' Unit='' Type='string'/>\n"
            "</DataDescription>\n<Top>\n<Name>Brent</Name>\n<![CDATA[ hidden ]]>\n</Tops>\n"
            "<Formation kind='x'>Ness</Formation>\n<Name>Etive</Name>\n</Top>\n"
            "</BusinessObject>\n</KUV>\n");
  const ToolRun run = Run({"check", "--strict", Path("l.kuv")});
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.out, HasSubstr("object Tops, table Top, row 1: a CDATA section is dropped with "
                                 "its text ' hidden '\n"));
  EXPECT_THAT(run.out, HasSubstr("object Tops, table Top, row 1: the closing tag </Tops> closes "
                                 "nothing that is open\n"));
  EXPECT_THAT(run.out, HasSubstr("object Tops, table Top, row 1: the closing tag </Formation> "
                                 "closes nothing that is open\n"));
  EXPECT_THAT(run.out, HasSubstr("object Tops, table /Formation: it would not read back as it is "
                                 "once saved: the table name begins with '/', so its tag would be "
                                 "read as a closing tag\n"));
}

// Values are read by the library's grammar (its own table of cases is
// tests/data/value_cases.tsv): a number beyond its type's range is said so,
// and ISO dates and 64-bit integers pass.
TEST_F(StrictCheck, ValuesAreReadByTheLibrarysGrammar) {
  WriteFile(Path("v.kuv"),
            "<?xml version='1.0'?>\n<KUV Version='2.0'>\n<BusinessObject ID='V' Author='a' "
            "Version='1' WellID='w' Date='20240101T00:00:00000'>\n<DataDescription>\n"
            "<TableDef Table='T'/>\n<FieldDef Table='T' Field='f' Unit='' Type='float'/>\n"
            "<FieldDef Table='T' Field='i' Unit='' Type='int64'/>\n"
            "<FieldDef Table='T' Field='d' Unit='' Type='date'/>\n</DataDescription>\n<T>\n"
            "<f>1e400</f>\n<i>9223372036854775807</i>\n<d>2005-01-19</d>\n"
            "<f>2.5</f>\n<i>9223372036854775808</i>\n<d>2005-02-30</d>\n</T>\n"
            "</BusinessObject>\n</KUV>\n");
  const ToolRun run = Run({"check", "--strict", Path("v.kuv")});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, Path("v.kuv") +
                         ": object V, table T, row 1, field f: '1e400' is out of range for type "
                         "float\n" +
                         Path("v.kuv") +
                         ": object V, table T, row 2, field i: '9223372036854775808' is out of "
                         "range for type int64\n" +
                         Path("v.kuv") +
                         ": object V, table T, row 2, field d: '2005-02-30' is not of type date\n" +
                         Path("v.kuv") + ": 3 problems, 1 object, 6 values\n");
}

}  // namespace
}  // namespace kuv::tool
