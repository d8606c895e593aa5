#include <gtest/gtest.h>

#include "api/editing_fixture.h"
#include "kuv/kuv.h"

namespace kuv {
namespace {

using testing::TreeText;

constexpr char kTab = '\t';

std::string Key(const std::string& table, const std::string& field) { return table + kTab + field; }

class ObjectEditing : public testing::EditingTest {};

// The ID of the next object of the walk, or "" at its end.
std::string NextObjectId() {
  char* text[5];
  return KuvGetNextObject(&text[0], &text[1], &text[2], &text[3], &text[4]) == 1 ? text[0] : "";
}

// The next value of the current object, or "(none)".
std::string NextValueText() {
  char* text[6];
  int row = -1;
  return KuvGetNextValue(&text[0], &text[1], &text[2], &text[3], &text[4], &text[5], &row) == 1
             ? text[4]
             : "(none)";
}

TEST_F(ObjectEditing, CreateSetsTheHeaderStampsTheDateAndSelectsTheObject) {
  ASSERT_EQ(KuvCreateObject("W1", "ann", "1.0", "well-7"), 1);
  platform.now = {2021, 3, 9, 8, 7};
  ASSERT_EQ(KuvCreateObject("W2", "bob", "2.0", "well-8"), 1);

  ASSERT_EQ(state().dataStore().GetCount(), 2);
  const CBusinessObject& first = *DataObject(0);
  EXPECT_EQ(first.id, "W1");
  EXPECT_EQ(first.author, "ann");
  EXPECT_EQ(first.version, "1.0");
  EXPECT_EQ(first.wellId, "well-7");
  EXPECT_EQ(first.date, "20021001T14:05:00000");
  EXPECT_EQ(DataObject(1)->date, "20210309T08:07:00000");
  ASSERT_EQ(KuvCreateTableDef("T", ""), 1);  // definitions go to the new object
  EXPECT_EQ(DataObject(1)->TableDefs.count("T"), 1u);
  EXPECT_TRUE(DataObject(0)->TableDefs.empty());
  EXPECT_EQ(NextObjectId(), "W1");  // a walk of the store is not disturbed
}

TEST_F(ObjectEditing, CreatingOrRewritingAnObjectRestartsTheValueWalk) {
  CRowNode* row = state().TEST_dataStore().Append("A")->AddTable("T")->AddRow();
  row->AddValue("f", "1");
  row->AddValue("f", "2");
  ASSERT_EQ(NextObjectId(), "A");
  ASSERT_EQ(NextValueText(), "1");
  row->AddValue("f", "late");
  ASSERT_EQ(KuvCreateObject("B", "", "", ""), 1);
  EXPECT_EQ(NextValueText(), "1");  // a new snapshot, with the late value
  EXPECT_EQ(NextValueText(), "2");
  ASSERT_EQ(KuvPutObject("B", "", "", ""), 1);
  EXPECT_EQ(NextValueText(), "1");
  EXPECT_EQ(NextValueText(), "2");
  EXPECT_EQ(NextValueText(), "late");
}

TEST_F(ObjectEditing, CreateRefusesATakenIdAndChangesNothing) {
  ASSERT_EQ(KuvCreateObject("W1", "a", "v", "w"), 1);
  ASSERT_EQ(KuvCreateObject("W2", "a", "v", "w"), 1);
  CRowNode* row = DataObject(0)->AddTable("T")->AddRow();
  row->AddValue("f", "1");
  row->AddValue("f", "2");
  ASSERT_EQ(NextObjectId(), "W1");
  ASSERT_EQ(NextValueText(), "1");

  EXPECT_EQ(KuvCreateObject("W1", "other", "v2", "w2"), 0);
  EXPECT_EQ(state().dataStore().GetCount(), 2);
  EXPECT_EQ(DataObject(0)->author, "a");
  EXPECT_EQ(NextValueText(), "2");  // the value walk goes on
  ASSERT_EQ(KuvCreateTableDef("U", ""), 1);
  EXPECT_EQ(DataObject(1)->TableDefs.count("U"), 1u);  // W2 stays the put object
}

TEST_F(ObjectEditing, IdsAreCaseSensitiveInBothStores) {
  AddTemplate("WELL", {{"T", ""}}, {{Key("T", "f"), "m\tfloat"}});
  ASSERT_EQ(KuvCreateObject("Well", "", "", ""), 1);
  EXPECT_TRUE(DataObject(0)->TableDefs.empty());  // the template entry differs in case
  EXPECT_TRUE(DataObject(0)->FieldDefs.empty());
  ASSERT_EQ(KuvCreateObject("WELL", "", "", ""), 1);  // a different object
  EXPECT_EQ(DataObject(1)->TableDefs.size(), 1u);
  EXPECT_EQ(KuvPutObject("well", "", "", ""), 0);
  EXPECT_EQ(KuvDeleteObject("well"), 0);
  EXPECT_EQ(state().dataStore().GetCount(), 2);
}

TEST_F(ObjectEditing, EveryTemplateEntryWithTheIdContributesTheLaterWinning) {
  AddTemplate("W", {{"A", ""}, {"B", "A"}},
              {{Key("A", "a1"), "m\tfloat"}, {Key("A", "a2"), "s\tint"}});
  AddTemplate("Other", {{"X", ""}}, {{Key("X", "x"), "\t"}});
  AddTemplate("W", {{"B", ""}, {"C", "B"}}, {{Key("A", "a1"), "ft\tdouble"}});

  ASSERT_EQ(KuvCreateObject("W", "", "", ""), 1);
  const CBusinessObject& object = *DataObject(0);
  EXPECT_EQ(object.TableDefs, (TableDefMap{{"A", ""}, {"B", ""}, {"C", "B"}}));
  EXPECT_EQ(object.FieldDefs,
            (FieldDefMap{{Key("A", "a1"), "ft\tdouble"}, {Key("A", "a2"), "s\tint"}}));
  EXPECT_TRUE(object.tables().empty());
}

TEST_F(ObjectEditing, PutObjectEmptiesTheContentAndMergesTheTemplate) {
  AddTemplate("W", {{"A", ""}, {"B", "A"}}, {{Key("A", "a1"), "m\tfloat"}});
  ASSERT_EQ(KuvCreateObject("First", "", "", ""), 1);
  ASSERT_EQ(KuvCreateObject("W", "ann", "1", "w1"), 1);
  ASSERT_EQ(KuvCreateTableDef("Own", ""), 1);
  ASSERT_EQ(KuvCreateTableDef("B", ""), 1);  // overridden below by the template
  ASSERT_EQ(KuvCreateFieldDef("Own", "o", "u", "t"), 1);
  ASSERT_EQ(KuvCreateFieldDef("A", "a1", "old", "old"), 0);  // the template's stays
  DataObject(1)->SetFieldDef(Key("A", "a1"), "old\told");
  ASSERT_EQ(KuvPutValue("A", "a1", "1"), 1);
  ASSERT_EQ(KuvCreateObject("Last", "", "", ""), 1);
  ASSERT_EQ(NextObjectId(), "First");
  platform.now = {2030, 12, 31, 23, 59};

  ASSERT_EQ(KuvPutObject("W", "bob", "2", "w2"), 1);
  const CBusinessObject& object = *DataObject(1);
  EXPECT_EQ(NextObjectId(), "W");  // the walk goes on where it was
  EXPECT_EQ(object.author, "bob");
  EXPECT_EQ(object.version, "2");
  EXPECT_EQ(object.wellId, "w2");
  EXPECT_EQ(object.date, "20301231T23:59:00000");
  EXPECT_TRUE(object.tables().empty());
  EXPECT_EQ(object.TableDefs, (TableDefMap{{"A", ""}, {"B", "A"}, {"Own", ""}}));
  EXPECT_EQ(object.FieldDefs,
            (FieldDefMap{{Key("A", "a1"), "m\tfloat"}, {Key("Own", "o"), "u\tt"}}));

  // Values start again at the top level of the rewritten object.
  ASSERT_EQ(KuvPutValue("A", "a1", "2"), 1);
  EXPECT_EQ(TreeText(object), "A(a1=2)");
}

TEST_F(ObjectEditing, PutObjectOfAnAbsentIdChangesNothing) {
  ASSERT_EQ(KuvCreateObject("W", "", "", ""), 1);
  ASSERT_EQ(KuvCreateObject("X", "", "", ""), 1);
  EXPECT_EQ(KuvPutObject("V", "", "", ""), 0);
  ASSERT_EQ(KuvCreateTableDef("T", ""), 1);
  EXPECT_EQ(DataObject(1)->TableDefs.count("T"), 1u);  // X stays the put object
}

TEST_F(ObjectEditing, PutObjectSelectsTheFirstObjectWithTheId) {
  // A document read from a file may hold one ID twice.
  state().TEST_dataStore().Append("D")->AddTable("T");
  state().TEST_dataStore().Append("D")->AddTable("T");
  ASSERT_EQ(KuvPutObject("D", "x", "", ""), 1);
  ASSERT_EQ(KuvCreateTableDef("U", ""), 1);
  EXPECT_EQ(DataObject(0)->TableDefs.count("U"), 1u);
  EXPECT_TRUE(DataObject(0)->tables().empty());
  EXPECT_EQ(DataObject(1)->tables().size(), 1u);
  EXPECT_EQ(DataObject(1)->author, "");

  ASSERT_EQ(KuvDeleteObject("D"), 1);  // the first one goes
  ASSERT_EQ(state().dataStore().GetCount(), 1);
  EXPECT_EQ(DataObject(0)->tables().size(), 1u);
}

TEST_F(ObjectEditing, DeleteMovesLaterObjectsUpAndKeepsEveryIndex) {
  for (const char* id : {"A", "B", "C"}) ASSERT_EQ(KuvCreateObject(id, "", "", ""), 1);
  CRowNode* row = DataObject(1)->AddTable("T")->AddRow();
  row->AddValue("f", "b1");
  row->AddValue("f", "b2");
  ASSERT_EQ(NextObjectId(), "A");
  ASSERT_EQ(NextObjectId(), "B");
  ASSERT_EQ(NextValueText(), "b1");

  ASSERT_EQ(KuvDeleteObject("A"), 1);
  EXPECT_EQ(state().dataStore().GetCount(), 2);
  EXPECT_EQ(DataObject(0)->id, "B");
  // The put index still names the third place, now past the end.
  EXPECT_EQ(KuvCreateTableDef("T", ""), 0);
  // The value walk goes on in its snapshot of B.
  EXPECT_EQ(NextValueText(), "b2");
  // The walk stands at the second place, which C holds now: it ends there.
  EXPECT_EQ(NextObjectId(), "");
  EXPECT_EQ(NextObjectId(), "B");

  EXPECT_EQ(KuvDeleteObject("A"), 0);
  ASSERT_EQ(KuvDeleteObject("B"), 1);
  ASSERT_EQ(KuvDeleteObject("C"), 1);
  EXPECT_EQ(state().dataStore().GetCount(), 0);
}

TEST_F(ObjectEditing, TableDefinitionNeedsAnEmptyOrDeclaredParent) {
  ASSERT_EQ(KuvCreateObject("W", "", "", ""), 1);
  const CBusinessObject& object = *DataObject(0);
  EXPECT_EQ(KuvCreateTableDef("A", ""), 1);
  EXPECT_EQ(KuvCreateTableDef("B", "A"), 1);
  EXPECT_EQ(KuvCreateTableDef("C", "Nowhere"), 0);
  EXPECT_EQ(KuvCreateTableDef("C", "a"), 0);  // parents match by exact case
  EXPECT_EQ(object.TableDefs, (TableDefMap{{"A", ""}, {"B", "A"}}));

  // Defining again replaces the parent, with a declared or an empty one.
  EXPECT_EQ(KuvCreateTableDef("C", ""), 1);
  EXPECT_EQ(KuvCreateTableDef("B", "C"), 1);
  EXPECT_EQ(KuvCreateTableDef("A", "B"), 1);
  EXPECT_EQ(KuvCreateTableDef("B", ""), 1);
  EXPECT_EQ(KuvCreateTableDef("B", "Gone"), 0);
  EXPECT_EQ(object.TableDefs, (TableDefMap{{"A", "B"}, {"B", ""}, {"C", ""}}));
}

// A tab parts a definition's table from its field and its unit from its
// type, so a name or unit that holds one would be saved as another.
TEST_F(ObjectEditing, TabsInNamesAndUnitsAreRefused) {
  ASSERT_EQ(KuvCreateObject("W", "", "", ""), 1);
  ASSERT_EQ(KuvCreateFieldDef("T", "f", "", ""), 1);
  EXPECT_EQ(KuvCreateTableDef("T\tf", ""), 0);
  EXPECT_EQ(KuvCreateTableDef("X\tY", ""), 0);
  EXPECT_EQ(KuvCreateTableDef("f", ""), 1);  // a field's own name is free
  EXPECT_EQ(KuvCreateTableDef("Z", "X\tY"), 0);
  EXPECT_EQ(KuvCreateFieldDef("T", "Depth", "m\tMD", "float"), 0);
  EXPECT_EQ(KuvCreateFieldDef("T", "De\tpth", "m", "float"), 0);
  EXPECT_EQ(KuvCreateFieldDef("X\tY", "F", "ft", "int"), 0);
  EXPECT_EQ(KuvCreateFieldDef("T", "Flags", "", "bit\tmask"), 1);  // the type comes last
  EXPECT_EQ(DataObject(0)->TableDefs, (TableDefMap{{"f", ""}}));
  EXPECT_EQ(DataObject(0)->FieldDefs.size(), 2u);
}

TEST_F(ObjectEditing, FieldDefinitionKeepsTheFirstAndAvoidsTableNames) {
  ASSERT_EQ(KuvCreateObject("W", "", "", ""), 1);
  ASSERT_EQ(KuvCreateTableDef("Depth", ""), 1);
  const CBusinessObject& object = *DataObject(0);

  EXPECT_EQ(KuvCreateFieldDef("Log", "md", "m", "float"), 1);  // table need not be declared
  EXPECT_EQ(KuvCreateFieldDef("Log", "md", "ft", "int"), 0);
  EXPECT_EQ(KuvCreateFieldDef("Log", "Depth", "m", "float"), 0);
  EXPECT_EQ(KuvCreateFieldDef("Log", "depth", "", ""), 1);
  EXPECT_EQ(KuvCreateFieldDef("Other", "md", "", ""), 1);  // another table, another key
  EXPECT_EQ(object.FieldDefs, (FieldDefMap{{Key("Log", "md"), "m\tfloat"},
                                           {Key("Log", "depth"), "\t"},
                                           {Key("Other", "md"), "\t"}}));
  EXPECT_EQ(object.GetUnit("Log", "md"), "m");
  EXPECT_EQ(object.GetType("Log", "md"), "float");
}

TEST_F(ObjectEditing, DefinitionsNeedAPutObject) {
  // Right after load the put-object index is 0, but the store is empty.
  EXPECT_EQ(KuvCreateTableDef("A", ""), 0);
  EXPECT_EQ(KuvCreateFieldDef("A", "a", "", ""), 0);

  ASSERT_EQ(KuvCreateObject("W", "", "", ""), 1);
  ASSERT_EQ(KuvCreateObject("X", "", "", ""), 1);
  ASSERT_EQ(KuvDeleteObject("X"), 1);  // the put index now lies past the end
  EXPECT_EQ(KuvCreateTableDef("A", ""), 0);
  EXPECT_EQ(KuvCreateFieldDef("A", "a", "", ""), 0);

  // Reading a document leaves no put object, however many it reads.
  char* message = nullptr;
  EXPECT_EQ(KuvOpen("", &message, 0), 0);
  state().TEST_dataStore().Append("W");
  EXPECT_EQ(KuvCreateTableDef("A", ""), 0);
  EXPECT_EQ(KuvCreateFieldDef("A", "a", "", ""), 0);
  EXPECT_TRUE(DataObject(0)->TableDefs.empty());
  EXPECT_TRUE(DataObject(0)->FieldDefs.empty());
}

TEST_F(ObjectEditing, EveryExportRefusesWhenDetachedOrGivenNull) {
  ASSERT_EQ(KuvCreateObject("W", "", "", ""), 1);
  EXPECT_EQ(KuvCreateObject(nullptr, "", "", ""), 0);
  EXPECT_EQ(KuvCreateObject("X", "", nullptr, ""), 0);
  EXPECT_EQ(KuvPutObject("W", "", "", nullptr), 0);
  EXPECT_EQ(KuvDeleteObject(nullptr), 0);
  EXPECT_EQ(KuvCreateTableDef(nullptr, ""), 0);
  EXPECT_EQ(KuvCreateTableDef("A", nullptr), 0);
  EXPECT_EQ(KuvCreateFieldDef("A", "a", nullptr, ""), 0);
  EXPECT_EQ(KuvPutValue("A", nullptr, ""), 0);
  EXPECT_EQ(state().dataStore().GetCount(), 1);

  state().TEST_SetAttached(false);
  EXPECT_EQ(KuvCreateObject("X", "", "", ""), 0);
  EXPECT_EQ(KuvPutObject("W", "", "", ""), 0);
  EXPECT_EQ(KuvCreateTableDef("A", ""), 0);
  EXPECT_EQ(KuvCreateFieldDef("A", "a", "", ""), 0);
  EXPECT_EQ(KuvDeleteObject("W"), 0);
  EXPECT_EQ(state().dataStore().GetCount(), 1);
  EXPECT_TRUE(DataObject(0)->TableDefs.empty());
}

}  // namespace
}  // namespace kuv
