// The put cursor points into one object's tree. Whatever removes that tree
// (deleting the object, clearing or reloading the store, detaching) must
// leave later calls safe: no value may land in a freed tree or in another
// object's tree. These sequences run under AddressSanitizer.
#include <gtest/gtest.h>

#include "api/editing_fixture.h"
#include "kuv/kuv.h"

namespace kuv {
namespace {

using testing::TreeText;

class PutCursorSafety : public testing::EditingTest {
 protected:
  // Objects whose definitions give A a child table B.
  void CreateObjects(std::initializer_list<const char*> ids) {
    for (const char* id : ids) {
      AddTemplate(id, {{"A", ""}, {"B", "A"}}, {{"A\ta", "\t"}, {"B\tb", "\t"}});
      ASSERT_EQ(KuvCreateObject(id, "", "", ""), 1);
    }
  }
  // Leaves the put cursor in a child table of the put object.
  void PutNested() {
    ASSERT_EQ(KuvPutValue("A", "a", "1"), 1);
    ASSERT_EQ(KuvPutValue("B", "b", "2"), 1);
  }
  std::string TreeOf(const char* id) { return TreeText(*DataObject(state().dataStore().Find(id))); }
  // Whether no put cursor is kept: the next value starts at the top level.
  bool CursorIsClear() {
    const PutPosition cursor = state().TEST_putPosition();
    return cursor.table == nullptr && cursor.row == nullptr;
  }
};

TEST_F(PutCursorSafety, DeletingThePutObjectClearsTheCursor) {
  CreateObjects({"W1", "W2"});
  PutNested();
  ASSERT_EQ(KuvDeleteObject("W2"), 1);
  EXPECT_TRUE(CursorIsClear());
  EXPECT_EQ(KuvPutValue("B", "b", "3"), 0);  // the index names no object now
  EXPECT_EQ(KuvPutValue("A", "a", "3"), 0);
  EXPECT_EQ(TreeOf("W1"), "");
}

TEST_F(PutCursorSafety, AfterDeletingThePutObjectTheNextOneStartsAtItsTop) {
  CreateObjects({"W1", "W2", "W3"});
  ASSERT_EQ(KuvPutObject("W2", "", "", ""), 1);
  PutNested();
  ASSERT_EQ(KuvDeleteObject("W2"), 1);  // W3 moves to the put index
  EXPECT_EQ(KuvPutValue("B", "b", "3"), 0);
  ASSERT_EQ(KuvPutValue("A", "a", "3"), 1);
  ASSERT_EQ(KuvPutValue("B", "b", "4"), 1);
  EXPECT_EQ(TreeOf("W3"), "A(a=3 B(b=4))");
  EXPECT_EQ(TreeOf("W1"), "");
}

TEST_F(PutCursorSafety, DeletingAnEarlierObjectNeverSendsValuesIntoAnotherTree) {
  CreateObjects({"W1", "W2", "W3"});
  ASSERT_EQ(KuvPutObject("W2", "", "", ""), 1);
  PutNested();
  ASSERT_EQ(KuvDeleteObject("W1"), 1);  // W2 lives on at index 0; index 1 is W3
  EXPECT_EQ(KuvPutValue("B", "b", "3"), 0);
  EXPECT_EQ(TreeOf("W2"), "A(a=1 B(b=2))");
  ASSERT_EQ(KuvPutValue("A", "a", "3"), 1);
  EXPECT_EQ(TreeOf("W3"), "A(a=3)");
  EXPECT_EQ(TreeOf("W2"), "A(a=1 B(b=2))");
  // Going back to W2 starts it afresh.
  ASSERT_EQ(KuvPutObject("W2", "", "", ""), 1);
  ASSERT_EQ(KuvPutValue("A", "a", "5"), 1);
  EXPECT_EQ(TreeOf("W2"), "A(a=5)");
}

TEST_F(PutCursorSafety, AnObjectRecreatedWhereTheOldOneWasIsNotEntered) {
  CreateObjects({"W1"});
  PutNested();
  ASSERT_EQ(KuvDeleteObject("W1"), 1);
  // As a reader would: a fresh object at the same index, perhaps at the
  // same address, with the same definitions.
  CBusinessObject* fresh = state().TEST_dataStore().Append("W1");
  fresh->SetTableDef("A", "");
  fresh->SetTableDef("B", "A");
  fresh->SetFieldDef("A\ta", "\t");
  fresh->SetFieldDef("B\tb", "\t");
  EXPECT_EQ(KuvPutValue("B", "b", "3"), 0);
  ASSERT_EQ(KuvPutValue("A", "a", "3"), 1);
  EXPECT_EQ(TreeText(*fresh), "A(a=3)");
}

TEST_F(PutCursorSafety, DetachAndReattachLeaveNoCursorBehind) {
  CreateObjects({"W1"});
  PutNested();
  ASSERT_EQ(KuvDetach(), 1);
  state().TEST_SetAttached(true);
  EXPECT_EQ(KuvPutValue("A", "a", "3"), 0);  // the store is empty
  EXPECT_EQ(KuvCreateTableDef("A", ""), 0);
  EXPECT_EQ(KuvCreateFieldDef("A", "a", "", ""), 0);

  // A document read after reattaching fills index 0 again.
  CBusinessObject* read = state().TEST_dataStore().Append("W1");
  read->SetTableDef("A", "");
  read->SetTableDef("B", "A");
  read->SetFieldDef("A\ta", "\t");
  read->SetFieldDef("B\tb", "\t");
  EXPECT_EQ(KuvPutValue("B", "b", "3"), 0);
  ASSERT_EQ(KuvPutValue("A", "a", "3"), 1);
  EXPECT_EQ(TreeText(*read), "A(a=3)");
}

TEST_F(PutCursorSafety, ClearedStoreRefusesDefinitionsAndValues) {
  CreateObjects({"W1"});
  PutNested();
  // Reading a document clears the store even when the file is missing.
  char* message = nullptr;
  ASSERT_EQ(KuvOpen("", &message, 0), 0);
  EXPECT_TRUE(CursorIsClear());
  EXPECT_EQ(KuvPutValue("A", "a", "3"), 0);
  EXPECT_EQ(KuvCreateTableDef("A", ""), 0);
  EXPECT_EQ(KuvCreateFieldDef("A", "a", "", ""), 0);

  state().TEST_dataStore().Append("W1")->SetTableDef("A", "");
  EXPECT_EQ(KuvPutValue("A", "a", "3"), 0);      // still no put object
  ASSERT_EQ(KuvPutObject("W1", "", "", ""), 1);  // which brings the template's fields
  ASSERT_EQ(KuvPutValue("A", "a", "3"), 1);
  EXPECT_EQ(TreeOf("W1"), "A(a=3)");
}

TEST_F(PutCursorSafety, RewritingThePutObjectDropsTheCursorWithItsTables) {
  CreateObjects({"W1"});
  PutNested();
  ASSERT_EQ(KuvPutObject("W1", "", "", ""), 1);
  EXPECT_TRUE(CursorIsClear());
  EXPECT_EQ(KuvPutValue("B", "b", "3"), 0);
  ASSERT_EQ(KuvPutValue("A", "a", "3"), 1);
  EXPECT_EQ(TreeOf("W1"), "A(a=3)");
}

}  // namespace
}  // namespace kuv
