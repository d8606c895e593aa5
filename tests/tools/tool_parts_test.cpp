// The tool's parts that carry logic of their own: text encoding, the
// rebuilding of tables from enumerated values, CSV quoting and the limits
// of what a document can hold.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "content_builder.h"
#include "csv_writer.h"
#include "format_limits.h"
#include "text_encoding.h"

namespace kuv::tool {
namespace {

TEST(TextEncoding, EverySingleByteSurvivesARoundTrip) {
  for (Encoding encoding : {Encoding::kCp1252, Encoding::kLatin1}) {
    std::string all;
    for (int byte = 1; byte < 256; ++byte) all.push_back(static_cast<char>(byte));
    const std::optional<std::string> utf8 = DecodeText(all, encoding);
    ASSERT_TRUE(utf8);
    EXPECT_EQ(EncodeText(*utf8, encoding), all);
  }
}

TEST(TextEncoding, Cp1252HighBytesAreItsOwnCharacters) {
  EXPECT_EQ(DecodeText("\x80", Encoding::kCp1252), "\u20ac");
  EXPECT_EQ(DecodeText("\x9f", Encoding::kCp1252), "\u0178");
  EXPECT_EQ(DecodeText("\x81", Encoding::kCp1252), "\u0081");  // unassigned, kept by number
  EXPECT_EQ(DecodeText("\x80", Encoding::kLatin1), "\u0080");
  EXPECT_EQ(DecodeText("\xe6", Encoding::kLatin1), "\u00e6");
}

TEST(TextEncoding, CharactersOutsideTheEncodingAreRefusedAndNamed) {
  EXPECT_FALSE(EncodeText("\u03a9", Encoding::kCp1252));
  EXPECT_EQ(FirstUnencodable("ok \u03a9", Encoding::kCp1252), "'\u03a9' (U+03A9)");
  EXPECT_FALSE(EncodeText("\u20ac", Encoding::kLatin1));
  EXPECT_EQ(EncodeText("\u20ac", Encoding::kCp1252), "\x80");
  // U+0080 has no byte in code page 1252: 0x80 is the euro sign there.
  EXPECT_FALSE(EncodeText("\u0080", Encoding::kCp1252));
  EXPECT_EQ(EncodeText("\U0001F600", Encoding::kUtf8), "\U0001F600");
}

TEST(TextEncoding, MalformedUtf8IsRefusedOrReplacedForDisplay) {
  for (const char* bad : {"\xff", "\xc3", "\xc0\xaf", "\xed\xa0\x80", "\xf4\x90\x80\x80"}) {
    EXPECT_FALSE(DecodeText(bad, Encoding::kUtf8)) << bad;
    EXPECT_FALSE(EncodeText(bad, Encoding::kCp1252)) << bad;
  }
  EXPECT_EQ(DecodeForDisplay("a\xff"
                             "b",
                             Encoding::kUtf8),
            "a\ufffd"
            "b");
  EXPECT_EQ(EncodingNamed("utf-8"), Encoding::kUtf8);
  EXPECT_FALSE(EncodingNamed("ascii"));
}

// Content as a compact text: "[T" opens table T, "|" begins a row, "f=v" is
// a value, "]" closes the table.
std::string Outline(const std::vector<ContentItem>& content) {
  std::string text;
  for (const ContentItem& item : content) {
    switch (item.step) {
      case ContentStep::kOpenTable:
        text += "[" + item.name;
        break;
      case ContentStep::kBeginRow:
        text += "|";
        break;
      case ContentStep::kValue:
        text += " " + item.name + "=" + item.text;
        break;
      case ContentStep::kCloseTable:
        text += "]";
        break;
    }
  }
  return text;
}

std::string Rebuild(const std::vector<ValueRecord>& records,
                    ContentBuilder::IsParent isParent = nullptr) {
  ContentBuilder builder(std::move(isParent));
  for (const ValueRecord& record : records) builder.Add(record);
  return Outline(builder.Finish());
}

TEST(ContentBuilder, RowsAndChildTablesComeBackInPlace) {
  // Two rows of A, each with a value and a child table B of one row.
  EXPECT_EQ(Rebuild({{"A", "", "a", "1", 0},
                     {"B", "A", "b", "2", 0},
                     {"A", "", "a", "3", 1},
                     {"B", "A", "b", "4", 0}}),
            "[A| a=1[B| b=2]| a=3[B| b=4]]");
  // Back up from a grandchild to a new row of the child, then to A.
  EXPECT_EQ(Rebuild({{"A", "", "a", "1", 0},
                     {"B", "A", "b", "2", 0},
                     {"C", "B", "c", "3", 0},
                     {"B", "A", "b", "4", 1},
                     {"A", "", "a", "5", 1}}),
            "[A| a=1[B| b=2[C| c=3]| b=4]| a=5]");
  // Sibling child tables share their parent's row.
  EXPECT_EQ(Rebuild({{"A", "", "a", "1", 0}, {"B", "A", "b", "2", 0}, {"C", "A", "c", "3", 0}}),
            "[A| a=1[B| b=2][C| c=3]]");
}

TEST(ContentBuilder, RowPositionsTellTableNodesAndEmptyRowsApart) {
  // Positions starting again mean a second node of the same table.
  EXPECT_EQ(Rebuild({{"A", "", "a", "1", 0}, {"A", "", "a", "2", 1}, {"A", "", "a", "3", 0}}),
            "[A| a=1| a=2][A| a=3]");
  // A skipped position is a row without values.
  EXPECT_EQ(Rebuild({{"A", "", "a", "1", 0}, {"A", "", "a", "2", 2}}), "[A| a=1|| a=2]");
  // A top-level table that follows another.
  EXPECT_EQ(Rebuild({{"A", "", "a", "1", 0}, {"Z", "", "z", "2", 0}}), "[A| a=1][Z| z=2]");
}

TEST(ContentBuilder, ParentWithoutValuesIsPlacedByItsDeclaration) {
  const auto isParent = [](const std::string& table, const std::string& parent) {
    return table == "B" && parent == "A";
  };
  // B's row holds only the child table C.
  EXPECT_EQ(Rebuild({{"A", "", "a", "1", 0}, {"C", "B", "c", "2", 0}}, isParent),
            "[A| a=1[B|[C| c=2]]]");
  // Nothing declares the parent: it stands at the top level.
  EXPECT_EQ(Rebuild({{"C", "B", "c", "2", 0}}), "[B|[C| c=2]]");
}

TEST(ContentBuilder, DeepNestingNeedsNoRecursion) {
  std::vector<ValueRecord> records;
  const int depth = 100000;
  for (int i = 0; i < depth; ++i) {
    records.push_back(
        {"T" + std::to_string(i), i == 0 ? "" : "T" + std::to_string(i - 1), "f", "v", 0});
  }
  ContentBuilder builder(nullptr);
  for (const ValueRecord& record : records) builder.Add(record);
  const std::vector<ContentItem> content = builder.Finish();
  EXPECT_EQ(content.size(), static_cast<std::size_t>(4 * depth));
}

TEST(CsvWriter, QuotesAsRfc4180AndGivesRepeatedFieldsTheirOwnColumn) {
  ObjectContent object;
  object.header.id = "X";
  object.fields = {{"T", "name", "", "string"}, {"T", "depth", "m", "float"}};
  object.content = {
      {ContentStep::kOpenTable, "T", ""},        {ContentStep::kBeginRow, "", ""},
      {ContentStep::kValue, "name", "a, \"b\""}, {ContentStep::kValue, "depth", "1"},
      {ContentStep::kBeginRow, "", ""},          {ContentStep::kValue, "name", "two\nlines"},
      {ContentStep::kValue, "name", "again"},    {ContentStep::kCloseTable, "", ""}};
  std::ostringstream out;
  WriteCsvTable(out, object, "T", Encoding::kCp1252);
  EXPECT_EQ(out.str(),
            "name,depth,name\r\n"
            ",m,\r\n"
            "\"a, \"\"b\"\"\",1,\r\n"
            "\"two\nlines\",,again\r\n");
  EXPECT_THROW(WriteCsvTable(out, object, "Missing", Encoding::kCp1252), std::exception);
}

TEST(FormatLimits, RefusesTextThatWouldReadBackDifferently) {
  EXPECT_EQ(ProblemWithValue("a > b & 'c' \"d\""), nullptr);
  EXPECT_NE(ProblemWithValue("a < b"), nullptr);
  EXPECT_NE(ProblemWithValue(std::string("a\0b", 3)), nullptr);
  EXPECT_EQ(ProblemWithName("Casing"), nullptr);
  for (const char* name :
       {"", "a>b", "a<b", "/x", "!x", "?x", "DataDescription", "MyTableDef", "it's", "a\tb"}) {
    EXPECT_NE(ProblemWithName(name), nullptr) << name;
  }
  EXPECT_EQ(ProblemWithAttribute("J. Smith & Sons \"north\""), nullptr);
  EXPECT_NE(ProblemWithAttribute("O'Brien"), nullptr);
  EXPECT_NE(ProblemWithAttribute("FieldDef"), nullptr);
  EXPECT_NE(ProblemWithAttribute("Type="), nullptr);
  EXPECT_NE(ProblemWithName("Unit="), nullptr);
}

}  // namespace
}  // namespace kuv::tool
