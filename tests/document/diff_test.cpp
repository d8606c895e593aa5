// Two documents compared: objects by ID, headers, definitions, rows by
// their key under their matched parent rows, values by field, numbers
// within a tolerance.
#include "kuv/diff.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/document_test_support.h"

namespace kuv {
namespace {

// A document of objects given as their inner text (definitions and
// tables), each "ID|inner".
Document Doc(const std::vector<std::string>& objects, const std::string& author = "") {
  std::string bytes = "<?xml version='1.0'?>\n<KUV Version='2.0'>\n";
  for (const std::string& object : objects) {
    const std::size_t bar = object.find('|');
    bytes += "<BusinessObject ID='" + object.substr(0, bar) + "' Author='" + author +
             "' Version='1' WellID='W' Date='20240101T00:00:00000'>\n" + object.substr(bar + 1) +
             "</BusinessObject>\n";
  }
  return Document::Parse(bytes + "</KUV>\n");
}

// One line per difference: "change part object#n table row field
// attribute: before -> after".
std::vector<std::string> Lines(const Document& before, const Document& after,
                               const DiffOptions& options = {}) {
  std::vector<std::string> lines;
  Diff(before, after, options, [&](const Difference& d) {
    std::string line = std::string(NameOf(d.change)) + " " + NameOf(d.part) + " " + d.object;
    if (d.objectNumber > 1) line += "#" + std::to_string(d.objectNumber);
    for (const std::string* part : {&d.table, &d.row, &d.field, &d.attribute}) {
      if (!part->empty()) line += " " + *part;
    }
    if (d.occurrence > 0) line += "#" + std::to_string(d.occurrence + 1);
    line += ": " + d.before.value_or("-") + " -> " + d.after.value_or("-");
    lines.push_back(line);
  });
  return lines;
}

using Lines_ = std::vector<std::string>;

const char* const kCasingDefinitions =
    "<DataDescription>\n<TableDef Table='Casing'/>\n<TableDef Table='Stage' Parent='Casing'/>\n"
    "<FieldDef Table='Casing' Field='Name' Unit='' Type='string'/>\n"
    "<FieldDef Table='Casing' Field='OD' Unit='in' Type='float'/>\n"
    "<FieldDef Table='Stage' Field='N' Unit='' Type='int'/>\n"
    "<FieldDef Table='Stage' Field='V' Unit='' Type='int'/>\n</DataDescription>\n";

std::string Casing(const std::string& rows) {
  return std::string("Casings|") + kCasingDefinitions + "<Casing>\n" + rows + "</Casing>\n";
}

TEST(Diff, SameDocumentsHaveNoDifferences) {
  for (const char* name :
       {"kestrel3_casing_tops.kuv", "kestrel3_header_survey.kuv", "kestrel3_log.kuv"}) {
    const Document a = Document::Open(testing::Example(name));
    const Document b = Document::Open(testing::Example(name));
    EXPECT_EQ(Lines(a, b), Lines_{}) << name;
  }
}

TEST(Diff, RowsMatchByTheirFirstFieldWhereverTheyMoved) {
  const Document before =
      Doc({Casing("<Name>Surface</Name>\n<OD>20.000</OD>\n<Name>Liner</Name>\n<OD>7.000</OD>\n"
                  "<Name>Production</Name>\n<OD>9.625</OD>\n")});
  const Document after =
      Doc({Casing("<Name>Production</Name>\n<OD>9.625</OD>\n<Name>Surface</Name>\n<OD>20.001</OD>\n"
                  "<Name>Tieback</Name>\n<OD>9.625</OD>\n")});
  EXPECT_EQ(Lines(before, after),
            (Lines_{"changed value Casings Casing Casing[Name=Surface] OD: 20.000 -> 20.001",
                    "removed row Casings Casing Casing[Name=Liner]: Name=Liner, OD=7.000 -> -",
                    "added row Casings Casing Casing[Name=Tieback]: - -> Name=Tieback, OD=9.625"}));
  // The rows' ids are those of CSV and frames.
  std::vector<std::pair<std::int64_t, std::int64_t>> ids;
  Diff(before, after, {}, [&](const Difference& d) { ids.emplace_back(d.beforeRow, d.afterRow); });
  EXPECT_EQ(ids, (std::vector<std::pair<std::int64_t, std::int64_t>>{{0, 1}, {1, -1}, {-1, 2}}));
}

TEST(Diff, RowsMatchByPositionWhenTheFirstFieldRepeats) {
  const Document before = Doc({Casing(
      "<Name>A</Name>\n<OD>1</OD>\n<Name>A</Name>\n<OD>2</OD>\n<Name>B</Name>\n<OD>3</OD>\n")});
  const Document after = Doc({Casing("<Name>A</Name>\n<OD>1</OD>\n<Name>B</Name>\n<OD>2</OD>\n")});
  EXPECT_EQ(Lines(before, after),
            (Lines_{"changed value Casings Casing Casing[2] Name: A -> B",
                    "removed row Casings Casing Casing[3]: Name=B, OD=3 -> -"}));

  // A key chosen for the table; repeated texts pair off in order.
  DiffOptions byOD;
  byOD.keys["Casing"] = "OD";
  EXPECT_EQ(Lines(before, after, byOD),
            (Lines_{"changed value Casings Casing Casing[OD=2] Name: A -> B",
                    "removed row Casings Casing Casing[OD=3]: Name=B, OD=3 -> -"}));
  const Document twice = Doc({Casing("<Name>A</Name>\n<OD>1</OD>\n<Name>B</Name>\n<OD>1</OD>\n")});
  const Document once = Doc({Casing("<Name>B</Name>\n<OD>1</OD>\n")});
  DiffOptions byODAgain;
  byODAgain.keys["Casing"] = "OD";
  EXPECT_EQ(Lines(twice, once, byODAgain),
            (Lines_{"changed value Casings Casing Casing[OD=1] Name: A -> B",
                    "removed row Casings Casing Casing[OD=1 (2)]: Name=B, OD=1 -> -"}));
}

TEST(Diff, ChildRowsMatchUnderTheirMatchedParentRows) {
  const Document before = Doc({Casing(
      "<Name>Surface</Name>\n<OD>20</OD>\n<Stage>\n<N>1</N>\n<V>a</V>\n<N>2</N>\n<V>b</V>\n"
      "</Stage>\n<Name>Liner</Name>\n<OD>7</OD>\n<Stage>\n<N>1</N>\n<V>a</V>\n</Stage>\n")});
  // The casings swap places and the liner loses its stage: stage 1 of
  // each casing is told from the other by the casing that holds it.
  const Document after = Doc(
      {Casing("<Name>Liner</Name>\n<OD>7</OD>\n<Name>Surface</Name>\n<OD>20</OD>\n"
              "<Stage>\n<N>1</N>\n<V>a</V>\n<N>2</N>\n<V>c</V>\n<N>3</N>\n<V>d</V>\n</Stage>\n")});
  EXPECT_EQ(Lines(before, after),
            (Lines_{"changed value Casings Stage Casing[Name=Surface]/Stage[N=2] V: b -> c",
                    "added row Casings Stage Casing[Name=Surface]/Stage[N=3]: - -> N=3, V=d",
                    "removed table Casings Stage Casing[Name=Liner]: 1 row -> -"}));
}

TEST(Diff, HeadersAndDefinitionsAttributeByAttribute) {
  const std::string changedDefinitions =
      "Casings|<DataDescription>\n<TableDef Table='Casing'/>\n<TableDef Table='Stage'/>\n"
      "<TableDef Table='Cement' Parent='Casing'/>\n"
      "<FieldDef Table='Casing' Field='Name' Unit='' Type='string'/>\n"
      "<FieldDef Table='Casing' Field='OD' Unit='mm' Type='double'/>\n</DataDescription>\n"
      "<Casing>\n<Name>A</Name>\n</Casing>\n";
  const Document before = Doc({Casing("<Name>A</Name>\n")}, "me");
  const Document after = Doc({changedDefinitions}, "you");
  EXPECT_EQ(Lines(before, after),
            (Lines_{"changed header Casings Author: me -> you",
                    "changed table definition Casings Stage Parent: Casing -> ",
                    "added table definition Casings Cement: - -> Parent=Casing",
                    "changed field definition Casings Casing OD Unit: in -> mm",
                    "changed field definition Casings Casing OD Type: float -> double",
                    "removed field definition Casings Stage N: Unit=, Type=int -> -",
                    "removed field definition Casings Stage V: Unit=, Type=int -> -"}));
}

TEST(Diff, RepeatedIdsMatchInOrderAndUnmatchedObjectsAreWhole) {
  const Document before =
      Doc({"Log|<T>\n<k>1</k>\n<a>1</a>\n</T>\n", "Log|<T>\n<k>1</k>\n<a>2</a>\n</T>\n",
           "Gone|<T>\n<a>1</a>\n</T>\n"});
  const Document after =
      Doc({"Log|<T>\n<k>1</k>\n<a>1</a>\n</T>\n", "New|", "Log|<T>\n<k>1</k>\n<a>3</a>\n</T>\n"});
  EXPECT_EQ(Lines(before, after),
            (Lines_{"changed value Log#2 T T[k=1] a: 2 -> 3", "removed object Gone: - -> -",
                    "added object New: - -> -"}));
}

TEST(Diff, ValuesMatchByFieldAndOccurrence) {
  const Document before = Doc({"X|<T>\n<k>1</k>\n<a>x</a>\n<b>y</b>\n<b>z</b>\n</T>\n"});
  const Document after = Doc({"X|<T>\n<k>1</k>\n<b>y</b>\n<b>w</b>\n<c>v</c>\n</T>\n"});
  EXPECT_EQ(Lines(before, after),
            (Lines_{"removed value X T T[k=1] a: x -> -", "changed value X T T[k=1] b#2: z -> w",
                    "added value X T T[k=1] c: - -> v"}));
}

TEST(Diff, NumbersOfNumericFieldsCompareWithinTheTolerance) {
  const Document before =
      Doc({Casing("<Name>A</Name>\n<OD>20.000</OD>\n<Stage>\n<N>1</N>\n<V>10</V>\n</Stage>\n"
                  "<Name>B</Name>\n<OD>1e3</OD>\n")});
  const Document after =
      Doc({Casing("<Name>A</Name>\n<OD>20.05</OD>\n<Stage>\n<N>1</N>\n<V>11</V>\n</Stage>\n"
                  "<Name>b</Name>\n<OD>1000.0</OD>\n")});
  DiffOptions options;
  EXPECT_EQ(Lines(before, after).size(), 4u);  // exact text: every change counts
  options.tolerance = ParseTolerance("0.1");
  EXPECT_EQ(Lines(before, after, options),
            (Lines_{"removed row Casings Casing Casing[Name=B]: Name=B, OD=1e3 -> -",
                    "added row Casings Casing Casing[Name=b]: - -> Name=b, OD=1000.0",
                    "changed value Casings Stage Casing[Name=A]/Stage[N=1] V: 10 -> 11"}));
  options.tolerance = ParseTolerance("10%");
  EXPECT_EQ(Lines(before, after, options).size(), 2u);  // 10 and 11 lie within 10 % of 11

  EXPECT_TRUE(SameValue("1.0", "1", ValueKind::kFloat, Tolerance{}));
  EXPECT_FALSE(SameValue("1.0", "1", ValueKind::kText, Tolerance{}));
  EXPECT_FALSE(SameValue("1.0", "1", ValueKind::kFloat, std::nullopt));
  EXPECT_FALSE(SameValue("nan", "NaN", ValueKind::kFloat, Tolerance{1e9, false}));
  EXPECT_TRUE(SameValue("inf", "Infinity", ValueKind::kFloat, Tolerance{}));
  EXPECT_FALSE(SameValue("n/a", "N/A", ValueKind::kFloat, Tolerance{1, false}));
  // Whole numbers beyond 2^53 are not rounded together.
  EXPECT_FALSE(SameValue("9007199254740993", "9007199254740992", ValueKind::kInteger, Tolerance{}));
  EXPECT_TRUE(SameValue("-9223372036854775808", "9223372036854775807", ValueKind::kInteger,
                        Tolerance{250, true}));
}

TEST(Diff, ToleranceTakesAnAmountOrAPercentage) {
  ASSERT_TRUE(ParseTolerance(" 0.5% "));
  EXPECT_TRUE(ParseTolerance("0.5%")->relative);
  EXPECT_DOUBLE_EQ(ParseTolerance("0.5%")->amount, 0.5);
  EXPECT_FALSE(ParseTolerance("1e-3")->relative);
  for (const char* bad : {"", "%", "-1", "inf", "nan", "1%%", "abc", "0x10"}) {
    EXPECT_FALSE(ParseTolerance(bad)) << bad;
  }
}

TEST(Diff, DeepNestingNeedsNoDeepStack) {
  constexpr int kDepth = 100000;
  const auto deep = [](const char* last) {
    std::string inner = "<T>\n";
    for (int i = 0; i < kDepth; ++i) inner += "<a>1</a>\n<b>1</b>\n<T>\n";
    inner += std::string("<a>1</a>\n<b>") + last + "</b>\n";
    for (int i = 0; i <= kDepth; ++i) inner += "</T>\n";
    return Doc({"Deep|" + inner});
  };
  const std::vector<std::string> lines = Lines(deep("1"), deep("2"));
  ASSERT_EQ(lines.size(), 1u);
  // The path shows the innermost rows alone.
  std::string path;
  for (int i = 0; i < 16; ++i) path += "/T[a=1]";
  EXPECT_EQ(lines[0], "changed value Deep T ..." + path + " b: 1 -> 2");
}

}  // namespace
}  // namespace kuv
