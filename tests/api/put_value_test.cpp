#include <gtest/gtest.h>

#include <string>

#include "api/editing_fixture.h"
#include "kuv/kuv.h"

namespace kuv {
namespace {

using testing::TreeText;

class PutValue : public testing::EditingTest {
 protected:
  void SetUp() override {
    AddPlacementTemplate("Well");
    ASSERT_EQ(KuvCreateObject("Well", "ann", "1.0", "w-1"), 1);
  }

  const CBusinessObject& object() { return *DataObject(0); }
  std::string Tree() { return TreeText(object()); }

  // "B/1": the put table's name and the put row's position in it.
  std::string Cursor() {
    const PutPosition cursor = state().TEST_putPosition();
    const CTableNode* table = cursor.table;
    if (table == nullptr) return cursor.row == nullptr ? "none" : "row without table";
    for (int i = 0; i < table->GetRowCount(); ++i) {
      if (table->GetRow(i) == cursor.row) return table->name() + "/" + std::to_string(i);
    }
    return table->name() + "/foreign row";
  }

  // Puts "table.field" values, numbered from 1 in the order given.
  void PutAll(std::initializer_list<const char*> names) {
    int number = 1;
    for (const char* name : names) {
      const std::string text(name);
      const auto dot = text.find('.');
      ASSERT_EQ(KuvPutValue(text.substr(0, dot).c_str(), text.substr(dot + 1).c_str(),
                            std::to_string(number++).c_str()),
                1)
          << name;
    }
  }

  // Puts a value that must be refused, and checks that nothing moved.
  void ExpectRefused(const char* table, const char* field) {
    const std::string tree = Tree();
    const std::string cursor = Cursor();
    EXPECT_EQ(KuvPutValue(table, field, "x"), 0) << table << "." << field;
    EXPECT_EQ(Tree(), tree);
    EXPECT_EQ(Cursor(), cursor);
  }
};

TEST_F(PutValue, RepeatOfTheFirstFieldStartsTheNextRowAndParentsStartNewRows) {
  PutAll({"A.a1", "A.a2", "B.b1", "B.b1", "A.a1"});
  EXPECT_EQ(Tree(), "A(a1=1 a2=2 B(b1=3)(b1=4))(a1=5)");
  EXPECT_EQ(Cursor(), "A/1");
}

// A sibling child table would open under a new row of the parent table
// holding no value, which a saved document moves under the row before:
// refused. After a value of the parent, the sibling has a row to hang on.
TEST_F(PutValue, SiblingChildTableNeedsAParentRowWithAValue) {
  PutAll({"A.a1", "B.b1"});
  ExpectRefused("C", "c1");
  PutAll({"A.a1", "C.c1"});
  EXPECT_EQ(Tree(), "A(a1=1 B(b1=2))(a1=1 C(c1=2))");
  EXPECT_EQ(Cursor(), "C/0");
  EXPECT_EQ(state().TEST_putPosition().table->parentRow(), object().GetTable(0)->GetRow(1));
}

// Back up in a table, a new row must begin with the field that begins the
// table's rows, or a saved document would join it to the row before.
TEST_F(PutValue, ClimbsSeveralLevelsBackToTheNamedTable) {
  PutAll({"A.a1", "B.b1", "D.d1"});
  ExpectRefused("A", "a2");
  PutAll({"A.a1"});
  EXPECT_EQ(Tree(), "A(a1=1 B(b1=2 D(d1=3)))(a1=1)");
  EXPECT_EQ(Cursor(), "A/1");
}

TEST_F(PutValue, FirstValueMustBelongToATopLevelTable) {
  ExpectRefused("B", "b1");
  ExpectRefused("D", "d1");
  EXPECT_EQ(Tree(), "");
  PutAll({"A.a1"});
  EXPECT_EQ(Tree(), "A(a1=1)");
}

TEST_F(PutValue, TopLevelTablesAlternateAsNewNodes) {
  PutAll({"A.a1", "Z.z1", "A.a1"});
  EXPECT_EQ(Tree(), "A(a1=1) Z(z1=2) A(a1=3)");
  EXPECT_EQ(object().GetTableCount(), 3);
  EXPECT_EQ(Cursor(), "A/0");
}

TEST_F(PutValue, ChildOfAnotherTopLevelTableIsRefused) {
  PutAll({"A.a1", "Z.z1"});
  ExpectRefused("B", "b1");
  EXPECT_EQ(Tree(), "A(a1=1) Z(z1=2)");
  EXPECT_EQ(Cursor(), "Z/0");
}

TEST_F(PutValue, OnlyTheFirstFieldOfARowStartsTheNext) {
  PutAll({"A.a1", "A.a2", "A.a2", "A.a1"});
  EXPECT_EQ(Tree(), "A(a1=1 a2=2 a2=3)(a1=4)");
}

TEST_F(PutValue, MovesBetweenLevelsOfTheTree) {
  // From a grandchild to a child of the top table, and back to the child.
  PutAll({"A.a1", "B.b1", "D.d1"});
  ExpectRefused("C", "c1");
  EXPECT_EQ(Tree(), "A(a1=1 B(b1=2 D(d1=3)))");
  ASSERT_EQ(KuvCreateObject("Second", "", "", ""), 1);
  ASSERT_EQ(KuvPutObject("Well", "", "", ""), 1);
  PutAll({"A.a1", "B.b1", "D.d1", "D.d1", "B.b1", "D.d1"});
  EXPECT_EQ(Tree(), "A(a1=1 B(b1=2 D(d1=3)(d1=4))(b1=5 D(d1=6)))");
  EXPECT_EQ(Cursor(), "D/0");
  // Leaving a nested table for another top-level table.
  PutAll({"Z.z1"});
  EXPECT_EQ(Tree(), "A(a1=1 B(b1=2 D(d1=3)(d1=4))(b1=5 D(d1=6))) Z(z1=1)");
}

TEST_F(PutValue, ChildTableWithoutAnEnclosingParentIsRefused) {
  PutAll({"A.a1", "C.c1"});
  ExpectRefused("D", "d1");  // D needs a B, and C's ancestors hold none
  EXPECT_EQ(Tree(), "A(a1=1 C(c1=2))");
}

TEST_F(PutValue, UndeclaredTableOrFieldIsRefused) {
  PutAll({"A.a1", "B.b1"});
  ExpectRefused("Q", "a1");
  ExpectRefused("A", "q");
  ExpectRefused("A", "b1");  // declared, but for B
  ExpectRefused("a", "a1");  // names match by exact case
  ExpectRefused("A", "A1");
  ExpectRefused("", "");
  EXPECT_EQ(Tree(), "A(a1=1 B(b1=2))");
}

TEST_F(PutValue, RowsOfAFamiliarTableStillRefuseForeignFields) {
  PutAll({"A.a1", "A.a2", "A.a1", "A.a2", "A.a1"});
  ExpectRefused("A", "b1");
  ExpectRefused("A", "z1");
  PutAll({"A.a2", "A.a2"});
  EXPECT_EQ(Tree(), "A(a1=1 a2=2)(a1=3 a2=4)(a1=5 a2=1 a2=2)");
}

TEST_F(PutValue, ValueTextIsStoredUnchanged) {
  const std::string longText(1000, 'x');
  ASSERT_EQ(KuvPutValue("A", "a1", ""), 1);
  ASSERT_EQ(KuvPutValue("A", "a2", " b>\t\r\n & 'q' \"r\" "), 1);
  ASSERT_EQ(KuvPutValue("A", "a2", longText.c_str()), 1);
  const CRowNode& row = *object().GetTable(0)->GetRow(0);
  ASSERT_EQ(row.GetValueCount(), 3);
  EXPECT_EQ(row.GetValue(0)->value(), "");
  EXPECT_EQ(row.GetValue(1)->value(), " b>\t\r\n & 'q' \"r\" ");
  EXPECT_EQ(row.GetValue(2)->value(), longText);
  // An empty first value still delimits rows.
  ASSERT_EQ(KuvPutValue("A", "a1", ""), 1);
  EXPECT_EQ(object().GetTable(0)->GetRowCount(), 2);
}

TEST_F(PutValue, LeavesTheWalksAlone) {
  PutAll({"A.a1", "A.a1"});
  char* text[6];
  int row = -1;
  ASSERT_EQ(KuvGetNextObject(&text[0], &text[1], &text[2], &text[3], &text[4]), 1);
  ASSERT_EQ(KuvGetNextValue(&text[0], &text[1], &text[2], &text[3], &text[4], &text[5], &row), 1);
  PutAll({"A.a1", "B.b1"});
  ASSERT_EQ(KuvGetNextValue(&text[0], &text[1], &text[2], &text[3], &text[4], &text[5], &row), 1);
  EXPECT_STREQ(text[4], "2");  // from the snapshot taken before
  EXPECT_EQ(KuvGetNextValue(&text[0], &text[1], &text[2], &text[3], &text[4], &text[5], &row), 0);
  EXPECT_EQ(KuvGetNextObject(&text[0], &text[1], &text[2], &text[3], &text[4]), 0);
}

TEST_F(PutValue, DefinitionsAddedLaterAreUsed) {
  ASSERT_EQ(KuvCreateTableDef("E", "D"), 1);
  ASSERT_EQ(KuvCreateFieldDef("E", "e1", "", ""), 1);
  PutAll({"A.a1", "B.b1", "D.d1", "E.e1"});
  EXPECT_EQ(Tree(), "A(a1=1 B(b1=2 D(d1=3 E(e1=4))))");
  // A B made top-level still climbs back to an enclosing B; after another
  // top-level table it opens a top-level B of its own.
  ASSERT_EQ(KuvCreateTableDef("B", ""), 1);
  PutAll({"B.b1"});
  EXPECT_EQ(Tree(), "A(a1=1 B(b1=2 D(d1=3 E(e1=4)))(b1=1))");
  PutAll({"Z.z1", "B.b1"});
  EXPECT_EQ(Tree(), "A(a1=1 B(b1=2 D(d1=3 E(e1=4)))(b1=1)) Z(z1=1) B(b1=2)");
}

TEST_F(PutValue, RefusedWithoutAPutObjectOrAttachment) {
  AddPlacementTemplate("Second");
  ASSERT_EQ(KuvCreateObject("Second", "", "", ""), 1);
  ASSERT_EQ(KuvDeleteObject("Second"), 1);  // the put index lies past the end
  EXPECT_EQ(KuvPutValue("A", "a1", "1"), 0);
  ASSERT_EQ(KuvPutObject("Well", "", "", ""), 1);
  state().TEST_SetAttached(false);
  EXPECT_EQ(KuvPutValue("A", "a1", "1"), 0);
  EXPECT_EQ(KuvPutValue(nullptr, "a1", "1"), 0);
  state().TEST_SetAttached(true);
  EXPECT_EQ(KuvPutValue("A", "a1", nullptr), 0);
  EXPECT_EQ(Tree(), "");
}

// Nesting as deep as a caller likes is built, left and freed without
// exhausting the stack. Declarations may form a cycle: A and B each hang
// under the other, so every value goes one level deeper.
TEST_F(PutValue, DeepNestingNeedsNoRecursion) {
  constexpr int kDepth = 100000;
  ASSERT_EQ(KuvCreateObject("Deep", "", "", ""), 1);
  ASSERT_EQ(KuvCreateTableDef("R", ""), 1);
  ASSERT_EQ(KuvCreateTableDef("A", "R"), 1);
  ASSERT_EQ(KuvCreateTableDef("B", "A"), 1);
  ASSERT_EQ(KuvCreateTableDef("A", "B"), 1);
  for (const char* table : {"R", "A", "B"}) {
    ASSERT_EQ(KuvCreateFieldDef(table, "f", "", ""), 1);
  }
  ASSERT_EQ(KuvPutValue("R", "f", "top"), 1);
  ASSERT_EQ(KuvCreateTableDef("A", "R"), 1);
  ASSERT_EQ(KuvPutValue("A", "f", "1"), 1);
  ASSERT_EQ(KuvCreateTableDef("A", "B"), 1);
  for (int level = 2; level < kDepth; ++level) {
    ASSERT_EQ(KuvPutValue(level % 2 == 0 ? "B" : "A", "f", "v"), 1);
  }
  ASSERT_EQ(KuvPutValue("R", "f", "again"), 1);  // climbs all the way up
  const CTableNode& top = *DataObject(1)->GetTable(0);
  ASSERT_EQ(top.GetRowCount(), 2);
  EXPECT_EQ(state().TEST_putPosition().row, top.GetRow(1));
  EXPECT_EQ(top.GetRow(0)->GetChildTable(0)->GetRow(0)->GetChildTable(0)->name(), "B");
  ASSERT_EQ(KuvDeleteObject("Deep"), 1);
}

}  // namespace
}  // namespace kuv
