#include <gtest/gtest.h>

#include <string>

#include "model/object_store.h"

namespace kuv {
namespace {

TEST(BusinessObject, UnitAndTypeComeFromTheFieldDefinition) {
  CObjectStore store;
  CBusinessObject& object = *store.Append("Survey");
  object.SetFieldDef("Station\tMD", "m\tfloat");
  object.SetFieldDef("Station\tName", "string");
  object.SetFieldDef("Station\tOdd", "a\tb\tc");

  EXPECT_EQ(object.GetUnit("Station", "MD"), "m");
  EXPECT_EQ(object.GetType("Station", "MD"), "float");
  EXPECT_EQ(object.GetUnit("Station", "Name"), "");  // no TAB: all of it is the type
  EXPECT_EQ(object.GetType("Station", "Name"), "string");
  EXPECT_EQ(object.GetUnit("Station", "Odd"), "a");  // cut at the first TAB
  EXPECT_EQ(object.GetType("Station", "Odd"), "b\tc");
  EXPECT_EQ(object.GetUnit("Station", "Missing"), "");
  EXPECT_EQ(object.GetType("Other", "MD"), "");
}

TEST(BusinessObject, DefinitionsReplaceOnEqualKeys) {
  CObjectStore store;
  CBusinessObject& object = *store.Append("X");
  object.SetTableDef("B", "A");
  object.SetTableDef("B", "C");
  object.SetFieldDef("B\tf", "m\tint");
  object.SetFieldDef("B\tf", "ft\tfloat");
  ASSERT_EQ(object.TableDefs.size(), 1u);
  EXPECT_EQ(object.TableDefs.at("B"), "C");
  EXPECT_EQ(object.FieldDefs.at("B\tf"), "ft\tfloat");
}

TEST(BusinessObject, FieldKeyLookupMatchesTheKeyText) {
  // Keys that sort around "T\tF" must not be confused with it.
  CObjectStore store;
  CBusinessObject& object = *store.Append("X");
  for (const char* key :
       {"T", "T\t", "T\tF", "T\tFF", "T \tF", "TT\tF", "T\t\tF", "S\tF", "T\x01"}) {
    object.SetFieldDef(key, std::string("def of ") + key);
  }
  ASSERT_NE(object.FindFieldDef("T", "F"), nullptr);
  EXPECT_EQ(*object.FindFieldDef("T", "F"), "def of T\tF");
  EXPECT_EQ(*object.FindFieldDef("T", ""), "def of T\t");
  EXPECT_EQ(*object.FindFieldDef("T", "\tF"), "def of T\t\tF");
  EXPECT_EQ(*object.FindFieldDef("TT", "F"), "def of TT\tF");
  EXPECT_EQ(object.FindFieldDef("T", "G"), nullptr);
  EXPECT_EQ(object.FindFieldDef("", "F"), nullptr);
}

TEST(Tree, AccessorsAnswerNullOutOfRange) {
  CObjectStore store;
  CBusinessObject& object = *store.Append("X");
  CTableNode* table = object.AddTable("T");
  CRowNode* row = table->AddRow();
  row->AddValue("A", "1");
  CTableNode* child = row->AddChildTable("C");

  EXPECT_EQ(object.GetTable(0), table);
  EXPECT_EQ(object.GetTable(1), nullptr);
  EXPECT_EQ(object.GetTable(-1), nullptr);
  EXPECT_EQ(table->GetRow(1), nullptr);
  EXPECT_EQ(row->GetValue(1), nullptr);
  EXPECT_EQ(row->GetChildTable(1), nullptr);
  EXPECT_EQ(table->parentRow(), nullptr);
  EXPECT_EQ(row->parentTable(), table);
  EXPECT_EQ(child->parentRow(), row);
  EXPECT_EQ(row->FieldOf(*row->GetValue(0)), "A");
  EXPECT_EQ(row->GetValue(0)->value(), "1");
}

TEST(Tree, ValuesKeepTheirTextAndFieldWhateverTheirLength) {
  CObjectStore store;
  CBusinessObject& object = *store.Append("X");
  CRowNode* row = object.AddTable("T")->AddRow();
  const std::string longText(1000, 'v');
  const std::string edge(12, 'e');  // the longest text held in place
  const std::string pastEdge(13, 'p');
  row->AddValue("A", "");
  row->AddValue("B", edge);
  row->AddValue("A", longText);
  row->AddValue(std::string(40, 'f'), std::string("a\0b", 3));
  for (int i = 0; i < 100; ++i) row->AddValue("C", std::to_string(i));  // moves on growth
  row->AddValue("D", pastEdge);

  EXPECT_EQ(row->GetValue(0)->value(), "");
  EXPECT_EQ(row->GetValue(1)->value(), edge);
  EXPECT_EQ(row->GetValue(2)->value(), longText);
  EXPECT_EQ(row->FieldOf(*row->GetValue(2)), "A");
  EXPECT_EQ(row->GetValue(3)->value(), std::string("a\0b", 3));
  EXPECT_EQ(row->FieldOf(*row->GetValue(3)), std::string(40, 'f'));
  EXPECT_EQ(row->GetValue(103)->value(), "99");
  EXPECT_EQ(row->GetValue(104)->value(), pastEdge);
  EXPECT_EQ(row->FieldOf(*row->GetValue(104)), "D");
  EXPECT_EQ(row->parentTable()->FieldNameCount(), 5u);

  // Moving leaves the source with an empty text and keeps the field.
  CValueNode moved(7, longText);
  CValueNode target(std::move(moved));
  EXPECT_EQ(target.value(), longText);
  EXPECT_EQ(target.fieldIndex(), 7u);
  EXPECT_EQ(moved.value(), "");
  target = CValueNode(3, "short");
  EXPECT_EQ(target.value(), "short");
  EXPECT_EQ(target.fieldIndex(), 3u);
}

TEST(Tree, ManyDistinctFieldNamesStayDistinct) {
  CObjectStore store;
  CBusinessObject& object = *store.Append("X");
  CRowNode* row = object.AddTable("T")->AddRow();
  for (int round = 0; round < 2; ++round) {
    for (int i = 0; i < 100; ++i) row->AddValue("f" + std::to_string(i), std::to_string(i));
  }
  EXPECT_EQ(row->parentTable()->FieldNameCount(), 100u);
  for (int i = 0; i < 200; ++i) {
    EXPECT_EQ(row->FieldOf(*row->GetValue(i)), "f" + std::to_string(i % 100));
  }
}

TEST(Store, RemoveAtMovesLaterObjectsDown) {
  CObjectStore store;
  store.Append("A");
  store.Append("B");
  store.Append("C");
  store.RemoveAt(0);
  ASSERT_EQ(store.GetCount(), 2);
  EXPECT_EQ(store.GetAt(0)->id, "B");
  EXPECT_EQ(store.GetAt(1)->id, "C");
  EXPECT_EQ(store.GetAt(2), nullptr);
  EXPECT_EQ(store.Find("C"), 1);
  EXPECT_EQ(store.Find("c"), -1);  // IDs are case-sensitive
}

TEST(Store, ClearKeepsTheVersionText) {
  CObjectStore store;
  store.version = "2.0'";
  store.Append("A")->AddTable("T")->AddRow()->AddValue("f", "v");
  store.Clear();
  EXPECT_EQ(store.GetCount(), 0);
  EXPECT_EQ(store.version, "2.0'");
  EXPECT_EQ(store.AppendTableToLast("T"), nullptr);
}

TEST(Store, AppendTableToLastUsesTheLastObject) {
  CObjectStore store;
  store.Append("A");
  CBusinessObject* last = store.Append("B");
  CTableNode* table = store.AppendTableToLast("T");
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(last->GetTable(0), table);
  EXPECT_EQ(store.GetAt(0)->GetTableCount(), 0);
}

// A tree nested a hundred thousand tables deep is freed without exhausting
// the stack (a recursive teardown would overflow here, under ASan surely).
TEST(Tree, DeepNestingIsFreedWithoutRecursion) {
  constexpr int kDepth = 100000;
  {
    CObjectStore store;
    CTableNode* table = store.Append("Deep")->AddTable("T0");
    for (int i = 1; i < kDepth; ++i) {
      CRowNode* row = table->AddRow();
      row->AddValue("v", "x");
      table = row->AddChildTable("T");
    }
  }
  {
    CObjectStore store;
    CBusinessObject& object = *store.Append("Deep");
    CTableNode* table = object.AddTable("T0");
    for (int i = 1; i < kDepth; ++i) table = table->AddRow()->AddChildTable("T");
    object.ClearTables();
    EXPECT_EQ(object.GetTableCount(), 0);
  }
  {
    CObjectStore store;
    CTableNode* table = store.Append("Deep")->AddTable("T0");
    for (int i = 1; i < kDepth; ++i) table = table->AddRow()->AddChildTable("T");
    store.Clear();
    EXPECT_EQ(store.GetCount(), 0);
  }
}

}  // namespace
}  // namespace kuv
