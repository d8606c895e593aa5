// kuv export --format json, then kuv import: every document comes back
// byte for byte, its Dates and every definition included.
#include <string>
#include <vector>

#include "kuv/document.hpp"
#include "tool_test_fixture.h"

namespace kuv::tool {
namespace {

class RoundTrip : public ToolTest {
 protected:
  void SetUp() override {
    ToolTest::SetUp();
    RegisterBundledTemplate();
  }

  // Exports the document, imports the JSON and returns the new document.
  std::string Rebuilt(const std::string& document, const std::string& encoding = "cp1252") {
    ToolRun run = Run(
        {"export", document, "--format", "json", "--encoding", encoding, "-o", Path("trip.json")});
    EXPECT_EQ(run.status, 0) << run.err;
    run = Run({"import", Path("trip.json"), "--encoding", encoding, "-o", Path("trip.kuv")});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    return ReadFile(Path("trip.kuv"));
  }

  void ExpectSameBytes(const std::string& document, const std::string& encoding = "cp1252") {
    const std::string original = ReadFile(document);
    ASSERT_FALSE(original.empty()) << document;
    EXPECT_EQ(Rebuilt(document, encoding), original) << document;
  }
};

TEST_F(RoundTrip, SampleDocumentsComeBackByteForByte) {
  for (const std::string& document :
       {Example("kestrel3_header_survey.kuv"), Example("kestrel3_casing_tops.kuv"),
        Example("kestrel3_log.kuv"), TestData("nested.kuv")}) {
    ExpectSameBytes(document);
  }
}

TEST_F(RoundTrip, UtfEightDocumentsComeBackWithTheirEncoding) {
  std::string document = ReadFile(TestData("nested.kuv"));
  // The same document with its text in UTF-8 (the C1 byte stays a C1 character).
  document.replace(document.find("T. \xd8stby"), 8, "T. \xc3\x98stby");
  document.replace(document.find("\x80 \x81 \x9f \xe6"), 7,
                   "\xe2\x82\xac \xc2\x81 \xc5\xb8 \xc3\xa6");
  WriteFile(Path("utf8.kuv"), document);
  ExpectSameBytes(Path("utf8.kuv"), "utf-8");
}

// What building value by value on the template's definitions could not
// give back: definitions without values, definitions unlike the
// template's, tables and rows without values, texts of every kind.
TEST_F(RoundTrip, ObjectsUnlikeTheTemplateAndTablesWithoutValuesComeBack) {
  Document document;
  BusinessObject survey =
      document.CreateObject("DeviationSurvey", "J. Smith & Sons \"north\"", "", "W\t1");
  survey.set_date("not a date at all");
  survey.SetTableDefinition("Station", "");
  survey.SetTableDefinition("Unused", "Station");
  survey.SetFieldDefinition("Station", "MD", "ft", "float");
  survey.SetFieldDefinition("Station", "Note", "", "");
  survey.SetFieldDefinition("Station", "Odd field", "u", "t\tt");
  survey.SetFieldDefinition("Unused", "x", "m", "float");
  Table stations = survey.AddTable("Station");
  Row row = stations.AddRow();
  row.AddValue("MD", "  12.5 ");
  row.AddValue("Note", "two\nlines\tand \"quotes\" & >angles, \x80\x81\xff 'single'");
  row = stations.AddRow();
  row.AddValue("MD", "");
  row.AddValue("Undeclared", "no definition");
  survey.AddTable("Empty");
  survey.AddTable("Outer").AddRow().AddChildTable("Inner").AddRow().AddValue("v", "1");
  BusinessObject bare = document.CreateObject("Bare", "", "", "");
  bare.set_date("");
  // One ID twice, as a document may hold it.
  BusinessObject again = document.CreateObject("Twice", "", "", "");
  again.set_id("DeviationSurvey");
  again.AddTable("Station").AddRow().AddValue("MD", "1");
  document.Save(Path("unusual.kuv"));

  ExpectSameBytes(Path("unusual.kuv"));
}

TEST_F(RoundTrip, DocumentsNestedDeepComeBack) {
  const int depth = 100000;
  std::string document =
      "<?xml version='1.0'?>\n<KUV Version='2.0'>\n"
      "<BusinessObject ID='Deep' Author='' Version='' WellID='' "
      "Date='20021001T14:05:00000'>\n<DataDescription>\n<TableDef Table='T0'/>\n"
      "<FieldDef Table='T0' Field='f' Unit='u' Type='t'/>\n</DataDescription>\n";
  for (int i = 0; i < depth; ++i) document += "<T" + std::to_string(i) + ">\n<f>v</f>\n";
  for (int i = depth - 1; i >= 0; --i) document += "</T" + std::to_string(i) + ">\n";
  document += "</BusinessObject>\n</KUV>\n";
  WriteFile(Path("deep.kuv"), document);
  ExpectSameBytes(Path("deep.kuv"));
}

}  // namespace
}  // namespace kuv::tool
