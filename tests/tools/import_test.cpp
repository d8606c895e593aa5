// kuv import: export then import gives back the document (its Date aside,
// which the library stamps), and bad input gives a clear message and no
// output file.
#include <string>

#include "tool_test_fixture.h"

namespace kuv::tool {
namespace {

using ::testing::HasSubstr;
using ::testing::MatchesRegex;
using ::testing::Not;

class Import : public ToolTest {
 protected:
  void SetUp() override {
    ToolTest::SetUp();
    RegisterBundledTemplate();
  }

  // Exports the document, imports the JSON and returns the new document.
  std::string RoundTrip(const std::string& document, const std::string& encoding = "cp1252") {
    ToolRun run = Run(
        {"export", document, "--format", "json", "--encoding", encoding, "-o", Path("trip.json")});
    EXPECT_EQ(run.status, 0) << run.err;
    run = Run({"import", Path("trip.json"), "--encoding", encoding, "-o", Path("trip.kuv")});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    return ReadFile(Path("trip.kuv"));
  }

  // Imports JSON text; the run's result.
  ToolRun ImportText(const std::string& text, const std::string& encoding = "cp1252") {
    WriteFile(Path("in.json"), text);
    return Run({"import", Path("in.json"), "--encoding", encoding, "-o", Path("out.kuv")});
  }
};

TEST_F(Import, ExportThenImportGivesBackTheSampleDocuments) {
  for (const std::string& document :
       {Example("kestrel3_header_survey.kuv"), Example("kestrel3_casing_tops.kuv"),
        Example("kestrel3_log.kuv"), TestData("nested.kuv")}) {
    const std::string original = ReadFile(document);
    const std::string rebuilt = RoundTrip(document);
    EXPECT_EQ(WithoutDates(rebuilt), WithoutDates(original)) << document;
  }
}

TEST_F(Import, TheLibraryStampsTheDateWithTheCurrentTime) {
  const std::string rebuilt = RoundTrip(Example("kestrel3_log.kuv"));
  EXPECT_THAT(rebuilt, HasSubstr("<BusinessObject ID='WellLog'"));
  EXPECT_THAT(ReadFile(Example("kestrel3_log.kuv")), HasSubstr(" Date='2024"));
  EXPECT_THAT(rebuilt, Not(HasSubstr(" Date='2024")));
  const std::size_t date = rebuilt.find("Date='");
  ASSERT_NE(date, std::string::npos);
  EXPECT_THAT(rebuilt.substr(date + 6, 20), MatchesRegex("[0-9]{8}T[0-9]{2}:[0-9]{2}:00000"));
}

TEST_F(Import, UtfEightDocumentsRoundTripWithTheirEncoding) {
  std::string document = ReadFile(TestData("nested.kuv"));
  // The same document with its text in UTF-8 (the C1 byte stays a C1 character).
  document.replace(document.find("T. \xd8stby"), 8, "T. \xc3\x98stby");
  document.replace(document.find("\x80 \x81 \x9f \xe6"), 7,
                   "\xe2\x82\xac \xc2\x81 \xc5\xb8 \xc3\xa6");
  WriteFile(Path("utf8.kuv"), document);
  EXPECT_EQ(WithoutDates(RoundTrip(Path("utf8.kuv"), "utf-8")), WithoutDates(document));
}

TEST_F(Import, DeeplyNestedDocumentsRoundTrip) {
  const int depth = 5000;
  std::string definitions;
  std::string opening;
  std::string closing;
  // Definitions stand in key order, as the library writes them.
  std::vector<std::string> names;
  for (int i = 0; i < depth; ++i) names.push_back("T" + std::to_string(i));
  std::vector<std::string> sorted = names;
  std::sort(sorted.begin(), sorted.end());
  for (const std::string& name : sorted) {
    const int level = std::stoi(name.substr(1));
    definitions += "<TableDef Table='" + name +
                   (level == 0 ? "" : "' Parent='T" + std::to_string(level - 1)) + "'/>\n";
  }
  for (const std::string& name : sorted) {
    definitions += "<FieldDef Table='" + name + "' Field='f' Unit='u' Type='t'/>\n";
  }
  for (int i = 0; i < depth; ++i) opening += "<" + names[i] + ">\n<f>" + names[i] + "</f>\n";
  for (int i = depth - 1; i >= 0; --i) closing += "</" + names[i] + ">\n";
  const std::string document =
      "<?xml version='1.0'?>\n<KUV Version='2.0'>\n<BusinessObject ID='Deep' Author='' "
      "Version='' WellID='' Date='20021001T14:05:00000'>\n<DataDescription>\n" +
      definitions + "</DataDescription>\n" + opening + closing + "</BusinessObject>\n</KUV>\n";
  WriteFile(Path("deep.kuv"), document);
  EXPECT_EQ(WithoutDates(RoundTrip(Path("deep.kuv"))), WithoutDates(document));
}

TEST_F(Import, InvalidJsonIsRefusedWithNoOutputFile) {
  ToolRun run = ImportText("{\"objects\": [");
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.err, HasSubstr("kuv: invalid JSON: "));
  EXPECT_FALSE(FileExists(Path("out.kuv")));

  run = ImportText("[1, 2]");
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.err, HasSubstr("must be an object"));

  run = ImportText(
      R"({"objects": [{"id": "X", "tables": [{"name": "T", "rows": [{"values": [{"field": 3}]}]}]}]})");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err,
            "kuv: JSON objects[0].tables[0].rows[0].values[0]: \"field\" must be a string\n");

  run = ImportText(R"({"format": "other", "objects": []})");
  EXPECT_EQ(run.status, 1);

  // The library's own message when the document cannot be saved.
  WriteFile(Path("in.json"), R"({"objects": []})");
  run = Run({"import", Path("in.json"), "-o", Path("no/such/folder/out.kuv")});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err,
            "kuv: Error : Error opening file for save.: " + Path("no/such/folder/out.kuv") + "\n");

  run = Run({"import", Path("missing.json"), "-o", Path("out.kuv")});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "kuv: cannot read " + Path("missing.json") + "\n");
  EXPECT_FALSE(FileExists(Path("out.kuv")));
}

constexpr const char* kOneValue = R"({"objects": [{"id": "X", "author": "A", "version": "1",
  "wellId": "W", "date": "",
  "definitions": {"tables": [{"name": "T", "parent": ""}],
                  "fields": [{"table": "T", "field": "f", "unit": "m", "type": "float"}]},
  "tables": [{"name": "T", "rows": [{"values": [{"field": "f", "value": "VALUE"}]}]}]}]})";

std::string WithValue(const std::string& value) {
  std::string text = kOneValue;
  text.replace(text.find("VALUE"), 5, value);
  return text;
}

TEST_F(Import, CharactersOutsideTheEncodingNameObjectTableAndField) {
  WriteFile(Path("out.kuv"), "previous");
  ToolRun run = ImportText(WithValue("5 \u03a9"));
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err,
            "kuv: object 'X', table 'T', field 'f': the value holds '\u03a9' (U+03A9), which "
            "cp1252 cannot encode\n");
  EXPECT_EQ(ReadFile(Path("out.kuv")), "previous");

  run = ImportText(WithValue("5 \u20ac"), "latin1");
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.err, HasSubstr("which latin1 cannot encode"));

  run = ImportText(WithValue("5 \u20ac"));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(ReadFile(Path("out.kuv")), HasSubstr("<f>5 \x80</f>\n"));
}

TEST_F(Import, TextTheFormatCannotHoldIsRefused) {
  ToolRun run = ImportText(WithValue("a < b"));
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err,
            "kuv: object 'X', table 'T', field 'f': the value cannot be stored in a document: it "
            "holds '<', which starts a tag\n");
  std::string text = kOneValue;
  text.replace(text.find("\"A\""), 3, "\"O'Brien\"");
  run = ImportText(text);
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.err, HasSubstr("object 'X': the attribute Author cannot be stored"));
  EXPECT_FALSE(FileExists(Path("out.kuv")));
}

TEST_F(Import, ValuesTheLibraryCannotPlaceAreRefused) {
  // A field without definition has no place.
  std::string text = kOneValue;
  text.replace(text.find("\"field\": \"f\", \"value\""), 12, "\"field\": \"g\"");
  ToolRun run = ImportText(text);
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.err, HasSubstr("kuv: object 'X', table 'T', field 'g': the library found no "
                                 "place for the value"));
  // A table without values cannot be built value by value.
  run = ImportText(R"({"objects": [{"id": "X", "definitions": {"tables": [{"name": "T"}]},
                       "tables": [{"name": "T", "rows": []}]}]})");
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.err, HasSubstr("kuv: object 'X', table 'T': the library cannot build"));
  // A parent that is not declared.
  run = ImportText(
      R"({"objects": [{"id": "X", "definitions": {"tables": [{"name": "T", "parent": "P"}]}}]})");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "kuv: object 'X', table 'T': its parent table 'P' is not declared\n");
  // Two objects with one ID.
  run = ImportText(R"({"objects": [{"id": "X"}, {"id": "X"}]})");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "kuv: object 'X': the ID is given to more than one object\n");
  EXPECT_FALSE(FileExists(Path("out.kuv")));
}

TEST_F(Import, FieldsTheTemplateDeclaresDifferentlyAreRefused) {
  // The template gives the MD of a survey station the unit m; the library
  // would keep it and silently change the JSON's unit.
  ToolRun run = ImportText(R"({"objects": [{"id": "DeviationSurvey",
      "definitions": {"fields": [{"table": "Station", "field": "MD", "unit": "ft",
                                  "type": "float"}]}}]})");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err,
            "kuv: object 'DeviationSurvey', table 'Station', field 'MD': the template declares "
            "unit 'm' and type 'float', the JSON unit 'ft' and type 'float'\n");
  // The same declaration as the template's is no conflict.
  run = ImportText(R"({"objects": [{"id": "DeviationSurvey",
      "definitions": {"fields": [{"table": "Station", "field": "MD", "unit": "m",
                                  "type": "float"}]}}]})");
  EXPECT_EQ(run.status, 0) << run.err;
}

}  // namespace
}  // namespace kuv::tool
