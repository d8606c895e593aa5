// Business objects through the document API: header texts, the data
// description, the tree, and putting values by the C interface's rules.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "document_test_support.h"
#include "kuv/document.hpp"

namespace kuv {
namespace {

using testing::RefusalOf;
using testing::TreeText;

class ObjectTest : public ::testing::Test {
 protected:
  // A and Z are top-level tables, B and C hang under A and D under B; A
  // has fields a1 and a2, the others one field each.
  BusinessObject NewPlacementObject(const std::string& id = "Well") {
    BusinessObject object = document.CreateObject(id, "ann", "1.0", "w-1");
    for (auto [table, parent] : std::vector<std::pair<const char*, const char*>>{
             {"A", ""}, {"Z", ""}, {"B", "A"}, {"C", "A"}, {"D", "B"}}) {
      object.DefineTable(table, parent);
    }
    for (auto [table, field] : std::vector<std::pair<const char*, const char*>>{
             {"A", "a1"}, {"A", "a2"}, {"B", "b1"}, {"C", "c1"}, {"D", "d1"}, {"Z", "z1"}}) {
      object.DefineField(table, field, "m", "float");
    }
    return object;
  }

  Document document;
};

TEST_F(ObjectTest, HeaderTextsAreSetAndRefusedWhenUnstorable) {
  BusinessObject object = document.CreateObject("Well", "ann", "1.0", "w-1");
  object.set_id("Well-2");
  object.set_author("bob");
  object.set_version("2.0");
  object.set_well_id("w-2");
  object.set_date("20021001T14:05:00000");
  EXPECT_EQ(object.id(), "Well-2");
  EXPECT_EQ(object.author(), "bob");
  EXPECT_EQ(object.version(), "2.0");
  EXPECT_EQ(object.well_id(), "w-2");
  EXPECT_EQ(object.date(), "20021001T14:05:00000");
  for (const char* bad : {"O'Neil", "a>b", "xTableDef", "Unit="}) {
    EXPECT_THROW(object.set_author(bad), Refusal) << bad;
    EXPECT_THROW(object.set_date(bad), std::invalid_argument) << bad;
  }
  EXPECT_EQ(object.author(), "bob");
  EXPECT_EQ(document.Serialize().find("<BusinessObject ID='Well-2' Author='bob' Version='2.0' "
                                      "WellID='w-2' Date='20021001T14:05:00000'>"),
            std::string("<?xml version='1.0'?>\n<KUV Version='2.0'>\n").size());
}

TEST_F(ObjectTest, DefinitionsFollowTheRulesOfTheCInterface) {
  BusinessObject object = document.CreateObject("Well", "", "", "");
  object.DefineTable("A", "");
  EXPECT_EQ(RefusalOf([&] { object.DefineTable("B", "Nowhere"); }),
            "its parent table is not declared");
  object.DefineTable("B", "A");
  object.DefineTable("B", "");  // defined again: the parent is replaced
  EXPECT_EQ(object.parent_of("B"), "");
  EXPECT_FALSE(object.parent_of("Nowhere").has_value());
  EXPECT_NE(RefusalOf([&] { object.DefineTable("DataDescription", ""); }), "");

  object.DefineField("A", "depth", "m", "float");
  EXPECT_EQ(RefusalOf([&] { object.DefineField("A", "depth", "ft", "float"); }),
            "the field is declared already");  // the first one stays
  EXPECT_EQ(RefusalOf([&] { object.DefineField("A", "B", "", ""); }),
            "the field bears the name of a declared table");
  EXPECT_NE(RefusalOf([&] { object.DefineField("A", "x", "m'", "float"); }), "");
  // A tab parts a definition's table from its field and its unit from its
  // type: a name or unit that holds one would be saved as another.
  const std::string tab = "it holds a tab, which separates the names of a definition";
  EXPECT_EQ(RefusalOf([&] { object.DefineField("A", "Depth", "m\tMD", "float"); }), tab);
  EXPECT_EQ(RefusalOf([&] { object.DefineField("A", "De\tpth", "m", "float"); }), tab);
  EXPECT_EQ(RefusalOf([&] { object.DefineTable("X\tY", ""); }), tab);
  EXPECT_EQ(RefusalOf([&] { object.SetFieldDefinition("A", "x", "m\tMD", "float"); }), tab);
  EXPECT_NE(RefusalOf([&] { object.SetFieldDefinition("X\tY", "F", "ft", "int"); }), "");
  object.DefineField("A", "flags", "", "bit\tmask");  // a type may hold one: it comes last
  EXPECT_EQ(object.field_definition("A", "flags")->type, "bit\tmask");
  const auto depth = object.field_definition("A", "depth");
  ASSERT_TRUE(depth.has_value());
  EXPECT_EQ(depth->unit, "m");
  EXPECT_EQ(depth->type, "float");
  EXPECT_EQ(object.field_kind("A", "depth"), ValueKind::kFloat);
  EXPECT_EQ(object.field_kind("A", "flags"), ValueKind::kText);    // a type it does not know
  EXPECT_EQ(object.field_kind("A", "nothing"), ValueKind::kText);  // not declared
}

TEST_F(ObjectTest, DefinitionsAreListedInSavedOrderAndEditedAsGiven) {
  BusinessObject object = document.CreateObject("Well", "", "", "");
  object.SetTableDefinition("Z", "");
  object.SetTableDefinition("A", "Z");
  object.SetFieldDefinition("Z", "b", "", "int");
  object.SetFieldDefinition("A", "a", "m", "float");
  object.SetFieldDefinition("A", "a", "ft", "float");  // replaced
  // Definitions stand in attributes only: a name that cannot be a tag
  // may still be declared.
  object.SetFieldDefinition("A", "DataDescription", "", "");
  EXPECT_THROW(object.SetFieldDefinition("A", "x", "it's", ""), Refusal);

  const auto tables = object.table_definitions();
  ASSERT_EQ(tables.size(), 2u);
  EXPECT_EQ(tables[0].table, "A");
  EXPECT_EQ(tables[0].parent, "Z");
  EXPECT_EQ(tables[1].table, "Z");
  const auto fields = object.field_definitions();
  ASSERT_EQ(fields.size(), 3u);
  EXPECT_EQ(fields[0].field, "DataDescription");
  EXPECT_EQ(fields[1].unit, "ft");
  EXPECT_EQ(fields[2].table, "Z");
  EXPECT_EQ(fields[2].type, "int");

  object.RemoveFieldDefinition("A", "DataDescription");
  EXPECT_EQ(RefusalOf([&] { object.RemoveFieldDefinition("A", "DataDescription"); }),
            "there is none");
  object.RemoveTableDefinition("Z");
  EXPECT_THROW(object.RemoveTableDefinition("Z"), Refusal);
  const std::string saved = document.Serialize();
  EXPECT_NE(saved.find("<TableDef Table='A' Parent='Z'/>\n<FieldDef Table='A' Field='a' "
                       "Unit='ft' Type='float'/>\n<FieldDef Table='Z' Field='b' Unit='' "
                       "Type='int'/>\n</DataDescription>"),
            std::string::npos)
      << saved;
}

// The worked examples of value placement, put through the API.
TEST_F(ObjectTest, PutPlacesValuesByTheDeclarations) {
  struct Put {
    const char* table;
    const char* field;
    bool placed;
  };
  struct Example {
    std::vector<Put> puts;
    const char* tree;
  };
  const std::vector<Example> examples = {
      {{{"A", "a1", true},
        {"A", "a2", true},
        {"B", "b1", true},
        {"B", "b1", true},
        {"A", "a1", true}},
       "A(a1=0 a2=1 B(b1=2)(b1=3))(a1=4)"},
      // A sibling table would open under a new row of A without a value of
      // its own, which a saved document moves under the row before.
      {{{"A", "a1", true}, {"B", "b1", true}, {"C", "c1", false}}, "A(a1=0 B(b1=1))"},
      // Back in A, a new row must begin with a1, the field that begins A's
      // rows.
      {{{"A", "a1", true}, {"B", "b1", true}, {"D", "d1", true}, {"A", "a2", false}},
       "A(a1=0 B(b1=1 D(d1=2)))"},
      {{{"B", "b1", false}}, ""},
      {{{"A", "a1", true}, {"Z", "z1", true}, {"A", "a1", true}}, "A(a1=0) Z(z1=1) A(a1=2)"},
      {{{"A", "a1", true}, {"Z", "z1", true}, {"B", "b1", false}}, "A(a1=0) Z(z1=1)"},
      {{{"A", "a1", true}, {"A", "a2", true}, {"A", "a2", true}, {"A", "a1", true}},
       "A(a1=0 a2=1 a2=2)(a1=3)"},
  };
  int number = 0;
  for (const Example& example : examples) {
    BusinessObject object = NewPlacementObject("Well" + std::to_string(number++));
    for (std::size_t i = 0; i < example.puts.size(); ++i) {
      const Put& put = example.puts[i];
      EXPECT_EQ(RefusalOf([&] { object.Put(put.table, put.field, std::to_string(i)); }).empty(),
                put.placed)
          << put.table << "." << put.field;
    }
    EXPECT_EQ(TreeText(object), example.tree);
  }
}

TEST_F(ObjectTest, RefusedPutsChangeNothing) {
  BusinessObject object = NewPlacementObject();
  object.Put("A", "a1", "1");
  EXPECT_EQ(RefusalOf([&] { object.Put("A", "a2", "A<B"); }), "it holds '<', which starts a tag");
  EXPECT_EQ(RefusalOf([&] { object.Put("A", "b1", "1"); }),
            "the field is not declared for the table");
  EXPECT_EQ(RefusalOf([&] { object.Put("Q", "a1", "1"); }), "the table is not declared");
  object.Put("A", "a2", "2");
  object.Put("B", "b1", "3");
  // Back in A, a new row must begin with a1, the field that begins A's
  // rows; a2 would begin it, and a saved document would join it to the
  // row before.
  EXPECT_NE(RefusalOf([&] { object.Put("A", "a2", "4"); }), "");
  try {
    object.Put("A", "a2", "4");
  } catch (const Refusal& refusal) {
    EXPECT_EQ(std::string(refusal.what())
                  .rfind("kuv: cannot put a value of field 'a2' of table "
                         "'A': ",
                         0),
              0u)
        << refusal.what();
  }
  EXPECT_EQ(TreeText(object), "A(a1=1 a2=2 B(b1=3))");
}

TEST_F(ObjectTest, EachObjectKeepsItsOwnPutPosition) {
  BusinessObject first = NewPlacementObject("First");
  BusinessObject second = NewPlacementObject("Second");
  first.Put("A", "a1", "1");
  second.Put("A", "a1", "x");
  first.Put("B", "b1", "2");  // still under first's row of A
  second.Put("A", "a2", "y");
  EXPECT_EQ(TreeText(first), "A(a1=1 B(b1=2))");
  EXPECT_EQ(TreeText(second), "A(a1=x a2=y)");

  // Clearing the tables takes the position with them; removing another
  // object leaves this one's alone.
  first.ClearTables();
  EXPECT_THROW(first.Put("B", "b1", "3"), Refusal);
  first.Put("A", "a1", "4");
  document.Remove(second);
  first.Put("B", "b1", "5");
  EXPECT_EQ(TreeText(first), "A(a1=4 B(b1=5))");

  first.ResetPutPosition();
  first.Put("A", "a2", "6");  // a new top-level table
  EXPECT_EQ(TreeText(first), "A(a1=4 B(b1=5)) A(a2=6)");
}

TEST_F(ObjectTest, TheTreeIsEditedDirectly) {
  BusinessObject object = document.CreateObject("Well", "", "", "");
  Table casing = object.AddTable("Casing");
  Row row = casing.AddRow();
  row.AddValue("OD", "20.000");
  Table cement = row.AddChildTable("Cement");
  cement.AddRow().AddValue("Stage", "1");
  EXPECT_THROW(row.AddValue("OD", "a<b"), Refusal);
  EXPECT_THROW(row.AddValue("/OD", "1"), Refusal);
  EXPECT_THROW(object.AddTable("DataDescription"), Refusal);
  EXPECT_THROW(row.AddChildTable("it's"), Refusal);
  EXPECT_THROW(row.AddChildTable("Tab\tbed"), Refusal);
  EXPECT_EQ(TreeText(object), "Casing(OD=20.000 Cement(Stage=1))");
  EXPECT_NE(document.Serialize().find("<Casing>\n<OD>20.000</OD>\n<Cement>\n<Stage>1</Stage>\n"
                                      "</Cement>\n</Casing>\n"),
            std::string::npos);
}

// Values that a saved document could never give back in their place are
// refused when they are added; the tree stays as it was.
TEST_F(ObjectTest, ValuesThatCouldNeverReadBackAreRefusedAtTheCall) {
  BusinessObject object = document.CreateObject("Well", "", "", "");
  Table table = object.AddTable("T");
  Row first = table.AddRow();
  EXPECT_EQ(RefusalOf([&] { first.AddValue("T", "1"); }),
            "the field bears the name of its table, and its closing tag would close the table");
  first.AddValue("A", "1");
  first.AddValue("B", "2");
  first.AddValue("B", "3");  // a repeat of another field joins its row
  EXPECT_EQ(RefusalOf([&] { first.AddValue("A", "4"); }),
            "the field begins the table's rows, and here it would start a new row");
  Row second = table.AddRow();
  EXPECT_NE(RefusalOf([&] { second.AddValue("B", "5"); }), "");  // must begin with A
  second.AddValue("A", "6");
  EXPECT_EQ(TreeText(object), "T(A=1 B=2 B=3)(A=6)");
}

// Values change and go, rows and tables go, where the document would still
// read back; what is gone leaves its handles stale and the put position at
// the top.
TEST_F(ObjectTest, TheTreeIsEditedInPlace) {
  BusinessObject object = NewPlacementObject();
  for (auto [table, field, value] :
       std::vector<std::tuple<const char*, const char*, const char*>>{{"A", "a1", "1"},
                                                                      {"A", "a2", "2"},
                                                                      {"B", "b1", "3"},
                                                                      {"B", "b1", "4"},
                                                                      {"A", "a1", "5"},
                                                                      {"A", "a2", "6"}}) {
    object.Put(table, field, value);
  }
  Table a = object.tables()[0];
  Row first = a.rows()[0];
  first.SetValue(1, "two");
  EXPECT_THROW(first.SetValue(1, "a<b"), Refusal);
  EXPECT_THROW(first.SetValue(7, "x"), std::out_of_range);
  EXPECT_EQ(RefusalOf([&] { first.RemoveValue(0); }),
            "the row's first value begins the row, and without it the row would begin with "
            "another field and be read as part of another row");
  Row second = a.rows()[1];
  second.RemoveValue(1);
  EXPECT_EQ(TreeText(object), "A(a1=1 a2=two B(b1=3)(b1=4))(a1=5)");

  Table b = first.child_tables()[0];
  Row b1 = b.rows()[1];
  b.RemoveRow(0);
  EXPECT_EQ(TreeText(object), "A(a1=1 a2=two B(b1=4))(a1=5)");
  EXPECT_EQ(b1.values()[0].text, "4");
  first.RemoveChildTable(0);
  EXPECT_THROW(b.rows(), StaleHandle);
  EXPECT_THROW(b1.values(), StaleHandle);
  a.RemoveRow(1);
  EXPECT_THROW(second.values(), StaleHandle);
  EXPECT_EQ(TreeText(object), "A(a1=1 a2=two)");
  EXPECT_FALSE(object.FindReadBackProblem().has_value());

  // The put position stood in the row just removed: the next value
  // starts a new top-level table.
  object.Put("A", "a1", "7");
  EXPECT_EQ(TreeText(object), "A(a1=1 a2=two) A(a1=7)");
  object.RemoveTable(0);
  EXPECT_THROW(a.name(), StaleHandle);
  EXPECT_EQ(TreeText(object), "A(a1=7)");
  object.Put("A", "a2", "8");  // still where it was: the table that stays
  EXPECT_EQ(TreeText(object), "A(a1=7 a2=8)");
  EXPECT_THROW(object.RemoveTable(3), std::out_of_range);
}

TEST_F(ObjectTest, RewriteEmptiesTheTablesAndStampsTheDate) {
  BusinessObject object = NewPlacementObject();
  object.set_date("19990101T00:00:00000");
  object.Put("A", "a1", "1");
  object.Rewrite("bob", "2", "w-2");
  EXPECT_EQ(object.author(), "bob");
  EXPECT_EQ(object.well_id(), "w-2");
  EXPECT_NE(object.date(), "19990101T00:00:00000");
  EXPECT_TRUE(object.tables().empty());
  EXPECT_EQ(object.table_definitions().size(), 5u);  // its own definitions stay
  EXPECT_THROW(object.Rewrite("O'Neil", "", ""), Refusal);
  EXPECT_EQ(object.author(), "bob");
  object.Put("A", "a1", "2");
}

TEST(Dates, FormatAndParseAsTheCInterface) {
  EXPECT_EQ(FormatDate({2002, 10, 1, 14, 5}), "20021001T14:05:00000");
  const auto parts = ParseDate("20021001T14:05:00000");
  ASSERT_TRUE(parts.has_value());
  EXPECT_EQ(parts->year, 2002);
  EXPECT_EQ(parts->minute, 5);
  EXPECT_FALSE(ParseDate("20021301T14:05:00000").has_value());  // month 13
  EXPECT_FALSE(ParseDate("20021001T14:05:0000").has_value());   // 19 characters
  EXPECT_TRUE(ParseDate("20020231T00:00:00000").has_value());   // any month has a 31st
}

}  // namespace
}  // namespace kuv
