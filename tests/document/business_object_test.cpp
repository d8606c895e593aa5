// Business objects through the document API: header texts, the data
// description, the tree, and putting values by the C interface's rules.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document_test_support.h"
#include "kuv/document.hpp"

namespace kuv {
namespace {

using testing::TreeText;

class ObjectTest : public ::testing::Test {
 protected:
  // A and Z are top-level tables, B and C hang under A and D under B; A
  // has fields a1 and a2, the others one field each.
  BusinessObject NewPlacementObject(const std::string& id = "Well") {
    BusinessObject object = *document.CreateObject(id, "ann", "1.0", "w-1");
    for (auto [table, parent] : std::vector<std::pair<const char*, const char*>>{
             {"A", ""}, {"Z", ""}, {"B", "A"}, {"C", "A"}, {"D", "B"}}) {
      EXPECT_TRUE(object.DefineTable(table, parent));
    }
    for (auto [table, field] : std::vector<std::pair<const char*, const char*>>{
             {"A", "a1"}, {"A", "a2"}, {"B", "b1"}, {"C", "c1"}, {"D", "d1"}, {"Z", "z1"}}) {
      EXPECT_TRUE(object.DefineField(table, field, "m", "float"));
    }
    return object;
  }

  Document document;
};

TEST_F(ObjectTest, HeaderTextsAreSetAndRefusedWhenUnstorable) {
  BusinessObject object = *document.CreateObject("Well", "ann", "1.0", "w-1");
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
    EXPECT_THROW(object.set_author(bad), std::invalid_argument) << bad;
    EXPECT_THROW(object.set_date(bad), std::invalid_argument) << bad;
  }
  EXPECT_EQ(object.author(), "bob");
  EXPECT_EQ(document.Serialize().find("<BusinessObject ID='Well-2' Author='bob' Version='2.0' "
                                      "WellID='w-2' Date='20021001T14:05:00000'>"),
            std::string("<?xml version='1.0'?>\n<KUV Version='2.0'>\n").size());
}

TEST_F(ObjectTest, DefinitionsFollowTheRulesOfTheCInterface) {
  BusinessObject object = *document.CreateObject("Well", "", "", "");
  EXPECT_TRUE(object.DefineTable("A", ""));
  EXPECT_FALSE(object.DefineTable("B", "Nowhere"));
  EXPECT_TRUE(object.DefineTable("B", "A"));
  EXPECT_TRUE(object.DefineTable("B", ""));  // defined again: the parent is replaced
  EXPECT_EQ(object.parent_of("B"), "");
  EXPECT_FALSE(object.parent_of("Nowhere").has_value());
  EXPECT_FALSE(object.DefineTable("DataDescription", ""));

  EXPECT_TRUE(object.DefineField("A", "depth", "m", "float"));
  EXPECT_FALSE(object.DefineField("A", "depth", "ft", "float"));  // the first one stays
  EXPECT_FALSE(object.DefineField("A", "B", "", ""));             // named like a table
  EXPECT_FALSE(object.DefineField("A", "x", "m'", "float"));
  const auto depth = object.field_definition("A", "depth");
  ASSERT_TRUE(depth.has_value());
  EXPECT_EQ(depth->unit, "m");
  EXPECT_EQ(depth->type, "float");
}

TEST_F(ObjectTest, DefinitionsAreListedInSavedOrderAndEditedAsGiven) {
  BusinessObject object = *document.CreateObject("Well", "", "", "");
  object.SetTableDefinition("Z", "");
  object.SetTableDefinition("A", "Z");
  object.SetFieldDefinition("Z", "b", "", "int");
  object.SetFieldDefinition("A", "a", "m", "float");
  object.SetFieldDefinition("A", "a", "ft", "float");  // replaced
  // Definitions stand in attributes only: a name that cannot be a tag
  // may still be declared.
  object.SetFieldDefinition("A", "DataDescription", "", "");
  EXPECT_THROW(object.SetFieldDefinition("A", "x", "it's", ""), std::invalid_argument);

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

  EXPECT_TRUE(object.RemoveFieldDefinition("A", "DataDescription"));
  EXPECT_FALSE(object.RemoveFieldDefinition("A", "DataDescription"));
  EXPECT_TRUE(object.RemoveTableDefinition("Z"));
  EXPECT_FALSE(object.RemoveTableDefinition("Z"));
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
      {{{"A", "a1", true}, {"B", "b1", true}, {"C", "c1", true}}, "A(a1=0 B(b1=1))( C(c1=2))"},
      {{{"A", "a1", true}, {"B", "b1", true}, {"D", "d1", true}, {"A", "a2", true}},
       "A(a1=0 B(b1=1 D(d1=2)))(a2=3)"},
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
      EXPECT_EQ(object.Put(put.table, put.field, std::to_string(i)), put.placed)
          << put.table << "." << put.field;
    }
    EXPECT_EQ(TreeText(object), example.tree);
  }
}

TEST_F(ObjectTest, RefusedPutsChangeNothing) {
  BusinessObject object = NewPlacementObject();
  ASSERT_TRUE(object.Put("A", "a1", "1"));
  EXPECT_FALSE(object.Put("A", "a2", "A<B"));  // cannot be stored
  EXPECT_FALSE(object.Put("A", "b1", "1"));    // declared for another table
  EXPECT_FALSE(object.Put("Q", "a1", "1"));    // no such table
  ASSERT_TRUE(object.Put("A", "a2", "2"));
  EXPECT_EQ(TreeText(object), "A(a1=1 a2=2)");
}

TEST_F(ObjectTest, EachObjectKeepsItsOwnPutPosition) {
  BusinessObject first = NewPlacementObject("First");
  BusinessObject second = NewPlacementObject("Second");
  ASSERT_TRUE(first.Put("A", "a1", "1"));
  ASSERT_TRUE(second.Put("A", "a1", "x"));
  ASSERT_TRUE(first.Put("B", "b1", "2"));  // still under first's row of A
  ASSERT_TRUE(second.Put("A", "a2", "y"));
  EXPECT_EQ(TreeText(first), "A(a1=1 B(b1=2))");
  EXPECT_EQ(TreeText(second), "A(a1=x a2=y)");

  // Clearing the tables takes the position with them; removing another
  // object leaves this one's alone.
  first.ClearTables();
  EXPECT_FALSE(first.Put("B", "b1", "3"));
  ASSERT_TRUE(first.Put("A", "a1", "4"));
  ASSERT_TRUE(document.Remove(second));
  ASSERT_TRUE(first.Put("B", "b1", "5"));
  EXPECT_EQ(TreeText(first), "A(a1=4 B(b1=5))");

  first.ResetPutPosition();
  ASSERT_TRUE(first.Put("A", "a2", "6"));  // a new top-level table
  EXPECT_EQ(TreeText(first), "A(a1=4 B(b1=5)) A(a2=6)");
}

TEST_F(ObjectTest, TheTreeIsEditedDirectly) {
  BusinessObject object = *document.CreateObject("Well", "", "", "");
  Table casing = object.AddTable("Casing");
  Row row = casing.AddRow();
  row.AddValue("OD", "20.000");
  Table cement = row.AddChildTable("Cement");
  cement.AddRow().AddValue("Stage", "1");
  EXPECT_THROW(row.AddValue("OD", "a<b"), std::invalid_argument);
  EXPECT_THROW(row.AddValue("/OD", "1"), std::invalid_argument);
  EXPECT_THROW(object.AddTable("DataDescription"), std::invalid_argument);
  EXPECT_THROW(row.AddChildTable("it's"), std::invalid_argument);
  EXPECT_EQ(TreeText(object), "Casing(OD=20.000 Cement(Stage=1))");
  EXPECT_NE(document.Serialize().find("<Casing>\n<OD>20.000</OD>\n<Cement>\n<Stage>1</Stage>\n"
                                      "</Cement>\n</Casing>\n"),
            std::string::npos);
}

TEST_F(ObjectTest, RewriteEmptiesTheTablesAndStampsTheDate) {
  BusinessObject object = NewPlacementObject();
  object.set_date("19990101T00:00:00000");
  ASSERT_TRUE(object.Put("A", "a1", "1"));
  object.Rewrite("bob", "2", "w-2");
  EXPECT_EQ(object.author(), "bob");
  EXPECT_EQ(object.well_id(), "w-2");
  EXPECT_NE(object.date(), "19990101T00:00:00000");
  EXPECT_TRUE(object.tables().empty());
  EXPECT_EQ(object.table_definitions().size(), 5u);  // its own definitions stay
  EXPECT_THROW(object.Rewrite("O'Neil", "", ""), std::invalid_argument);
  EXPECT_EQ(object.author(), "bob");
  ASSERT_TRUE(object.Put("A", "a1", "2"));
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
