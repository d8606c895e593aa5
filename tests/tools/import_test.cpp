// kuv import: JSON of either format version, and bad input refused with a
// clear message and no output file.
#include <algorithm>
#include <ctime>
#include <string>
#include <vector>

#include "tool_test_fixture.h"

namespace kuv::tool {
namespace {

using ::testing::HasSubstr;
using ::testing::MatchesRegex;

class Import : public ToolTest {
 protected:
  void SetUp() override {
    ToolTest::SetUp();
    RegisterBundledTemplate();
  }

  // Exports the document, imports the JSON as format version 1 (built value
  // by value) and returns the new document.
  std::string PlacedRoundTrip(const std::string& document) {
    ToolRun run = Run({"export", document, "--format", "json", "-o", Path("trip.json")});
    EXPECT_EQ(run.status, 0) << run.err;
    std::string json = ReadFile(Path("trip.json"));
    const std::string version = "\"formatVersion\": 2";
    EXPECT_NE(json.find(version), std::string::npos);
    json.replace(json.find(version), version.size(), "\"formatVersion\": 1");
    WriteFile(Path("trip.json"), json);
    run = Run({"import", Path("trip.json"), "-o", Path("trip.kuv")});
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

// The local time as a Date text.
std::string DateNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  ::localtime_r(&now, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y%m%dT%H:%M:00000", &local);
  return text;
}

TEST_F(Import, VersionOneJsonIsBuiltOnTheTemplateAsBefore) {
  for (const std::string& document :
       {Example("kestrel3_header_survey.kuv"), Example("kestrel3_casing_tops.kuv"),
        Example("kestrel3_log.kuv")}) {
    EXPECT_EQ(WithoutDates(PlacedRoundTrip(document)), WithoutDates(ReadFile(document)))
        << document;
  }
  // A version 1 object takes the template's definitions for its ID as well
  // as its own.
  const ToolRun run = ImportText(R"({"formatVersion": 1, "objects": [{"id": "FormationTops",
      "definitions": {"tables": [{"name": "Extra"}]}}]})");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(ReadFile(Path("out.kuv")), HasSubstr("<TableDef Table='Extra'/>\n<TableDef "
                                                   "Table='Top'/>\n<FieldDef Table='Top'"));
}

// Values put one by one open a sibling child table under a new row of its
// parent, a row without a value of its own that a saved document would
// fold into the row before. The library refuses that put, and says so.
TEST_F(Import, VersionOneRefusesSiblingTablesOfOneRow) {
  ASSERT_EQ(
      Run({"export", TestData("nested.kuv"), "--format", "json", "-o", Path("n.json")}).status, 0);
  std::string json = ReadFile(Path("n.json"));
  json.replace(json.find("\"formatVersion\": 2"), 18, "\"formatVersion\": 1");
  WriteFile(Path("n.json"), json);
  const ToolRun run = Run({"import", Path("n.json"), "-o", Path("n.kuv")});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err,
            "kuv: object 'Sample', table 'C', field 'c1': the table would open under a new row of "
            "its parent table that holds no value, and a saved document would move it under the "
            "row before; put a value of the parent table first\n");
  EXPECT_FALSE(FileExists(Path("n.kuv")));
}

// Whatever the year: the Date lies between the clock before and after the
// run, and is not the one the JSON gives.
TEST_F(Import, VersionOneObjectsAreDatedWithTheTimeOfTheImport) {
  const std::string before = DateNow();
  const ToolRun run =
      ImportText(R"({"objects": [{"id": "WellLog", "date": "19991231T23:59:00000"}]})");
  const std::string after = DateNow();
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string rebuilt = ReadFile(Path("out.kuv"));
  const std::size_t at = rebuilt.find(" Date='");
  ASSERT_NE(at, std::string::npos);
  const std::string date = rebuilt.substr(at + 7, 20);
  EXPECT_THAT(date, MatchesRegex("[0-9]{8}T[0-9]{2}:[0-9]{2}:00000"));
  EXPECT_LE(before, date);
  EXPECT_LE(date, after);
}

TEST_F(Import, VersionTwoKeepsTheDateAndOnlyTheJsonsDefinitions) {
  // The template declares MD in m, and more fields; version 2 keeps the
  // object as the JSON gives it.
  const ToolRun run = ImportText(R"({"formatVersion": 2, "objects": [{"id": "DeviationSurvey",
      "author": "a", "version": "1", "wellId": "W", "date": "19991231T23:59:00000",
      "definitions": {"tables": [{"name": "Station", "parent": ""}],
                      "fields": [{"table": "Station", "field": "MD", "unit": "ft",
                                  "type": "float"}]},
      "tables": [{"name": "Station", "rows": [{"values": [{"field": "MD", "value": "1"}]}]}]}]})");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ReadFile(Path("out.kuv")),
            "<?xml version='1.0'?>\n<KUV Version='2.0'>\n<BusinessObject ID='DeviationSurvey' "
            "Author='a' Version='1' WellID='W' Date='19991231T23:59:00000'>\n<DataDescription>\n"
            "<TableDef Table='Station'/>\n<FieldDef Table='Station' Field='MD' Unit='ft' "
            "Type='float'/>\n</DataDescription>\n<Station>\n<MD>1</MD>\n</Station>\n"
            "</BusinessObject>\n</KUV>\n");
}

TEST_F(Import, VersionTwoRefusesWhatADocumentWouldGiveBackChanged) {
  WriteFile(Path("out.kuv"), "previous");
  // The second row does not begin with the table's first field, so it
  // would be read as part of the first.
  ToolRun run = ImportText(R"({"formatVersion": 2, "objects": [{"id": "X", "tables": [
      {"name": "T", "rows": [{"values": [{"field": "a", "value": "1"}]},
                             {"values": [{"field": "b", "value": "2"}]}]}]}]})");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err,
            "kuv: object 'X', table 'T', field 'b': a row's first value must be in the field that "
            "begins the table's rows, or the row would join the one before\n");
  // A child table without rows would be read as a value.
  run = ImportText(R"({"formatVersion": 2, "objects": [{"id": "X", "tables": [
      {"name": "T", "rows": [{"values": [{"field": "a", "value": "1"}],
                              "tables": [{"name": "C", "rows": []}]}]}]}]})");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err,
            "kuv: object 'X', table 'T' > 'C': the table holds no rows, so it would read back as a "
            "value of the row above\n");
  run = ImportText(R"({"formatVersion": 2, "objects": [{"id": "X", "tables": [
      {"name": "T", "rows": [{"values": [{"field": "a", "value": "a < b"}]}]}]}]})");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err,
            "kuv: object 'X', table 'T', field 'a': the value cannot be stored in a document: it "
            "holds '<', which starts a tag\n");
  run = ImportText(R"({"formatVersion": 2, "objects": [{"id": "X", "definitions": {"fields": [
      {"table": "T\tU", "field": "f"}]}}]})");
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.err, HasSubstr("the table name cannot be stored in a document: it holds a tab"));
  run = ImportText(R"({"formatVersion": 2, "objects": [{"id": "X", "definitions": {"tables": [
      {"name": "T"}, {"name": "T", "parent": "P"}]}}]})");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "kuv: object 'X', table 'T': the table is declared twice\n");
  EXPECT_EQ(ReadFile(Path("out.kuv")), "previous");

  run = ImportText(R"({"formatVersion": 3, "objects": []})");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "kuv: JSON: this tool reads \"formatVersion\" 1 to 2\n");
}

TEST_F(Import, VersionOneBuildsDeeplyNestedTables) {
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
  EXPECT_EQ(WithoutDates(PlacedRoundTrip(Path("deep.kuv"))), WithoutDates(document));
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

  // The reason when the document cannot be saved, as export gives it.
  WriteFile(Path("in.json"), R"({"objects": []})");
  run = Run({"import", Path("in.json"), "-o", Path("no/such/folder/out.kuv")});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "kuv: cannot write " + Path("no/such/folder/out.kuv") +
                         ": its folder does not exist\n");

  run = Run({"import", Path("missing.json"), "-o", Path("out.kuv")});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "kuv: cannot read " + Path("missing.json") + ": No such file or directory\n");
  EXPECT_FALSE(FileExists(Path("out.kuv")));
  run = Run({"import", folder_, "-o", Path("out.kuv")});
  EXPECT_EQ(run.err, "kuv: cannot read " + folder_ + ": Is a directory\n");
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
  EXPECT_EQ(run.err,
            "kuv: object 'X', table 'T', field 'g': the field is not declared for the table\n");
  // A table without values cannot be built value by value.
  run = ImportText(R"({"objects": [{"id": "X", "definitions": {"tables": [{"name": "T"}]},
                       "tables": [{"name": "T", "rows": []}]}]})");
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.err, HasSubstr("kuv: object 'X', table 'T': the library cannot build"));
  // A parent that is not declared.
  run = ImportText(
      R"({"objects": [{"id": "X", "definitions": {"tables": [{"name": "T", "parent": "P"}]}}]})");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "kuv: object 'X', table 'T': its parent table is not declared ('P')\n");
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
